// A single-instance program whose secondaryMain answers with 40 plus the
// number of arguments it received.
public class InstanceInt {
    public static void main(String[] args) throws Exception {
        TestState.runMain("InstanceInt", args);
    }

    public static int secondaryMain(String[] args) {
        TestState.append("received", TestState.list(args));
        return 40 + args.length;
    }
}
