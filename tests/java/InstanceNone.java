// A single-instance program without secondaryMain that ends with its own
// exit code.
public class InstanceNone {
    public static void main(String[] args) throws Exception {
        TestState.runMain("InstanceNone", args);
        System.exit(5);
    }
}
