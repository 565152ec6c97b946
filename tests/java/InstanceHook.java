// A single-instance program without secondaryMain whose shutdown hook runs
// until "end" exists, so that its first instance takes a while to end.
public class InstanceHook {
    public static void main(String[] args) throws Exception {
        TestState.holdShutdownUntilEnd();
        TestState.runMain("InstanceHook", args);
    }
}
