// A single-instance program whose void secondaryMain keeps running until
// the test lets it go.
public class InstanceVoid {
    public static void main(String[] args) throws Exception {
        TestState.runMain("InstanceVoid", args);
    }

    public static void secondaryMain(String[] args) throws Exception {
        TestState.append("received", TestState.list(args));
        TestState.waitFor("release");
        TestState.append("released", "done");
    }
}
