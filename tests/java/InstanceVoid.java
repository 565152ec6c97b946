// A single-instance program whose void secondaryMain keeps running until
// the test lets it go, or throws when its first argument is "throw".
public class InstanceVoid {
    public static void main(String[] args) throws Exception {
        TestState.runMain("InstanceVoid", args);
    }

    public static void secondaryMain(String[] args) throws Exception {
        TestState.append("received", TestState.list(args));
        if (args[0].equals("throw")) throw new IllegalStateException("secondaryMain failure");
        TestState.waitFor("release");
        TestState.append("released", "done");
    }
}
