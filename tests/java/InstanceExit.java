// A single-instance program that ends through System.exit(3) once "quit"
// exists, its shutdown hook running until "end"; secondaryMain answers
// with 40 plus the number of arguments.
public class InstanceExit {
    public static void main(String[] args) throws Exception {
        TestState.holdShutdownUntilEnd();
        TestState.runMain("InstanceExit", args);
        System.exit(3);
    }

    public static int secondaryMain(String[] args) {
        TestState.append("received", TestState.list(args));
        return 40 + args.length;
    }
}
