import java.lang.management.ManagementFactory;

/** A small application started through Tarn: prints what it was given. */
public class Hello {
    public static void main(String[] args) {
        System.out.println("Hello from Java " + System.getProperty("java.version")
                + " (" + System.getProperty("java.vm.name") + ")");
        System.out.println("Arguments: " + args.length);
        for (int i = 0; i < args.length; i++) {
            System.out.println("  [" + i + "] " + args[i]);
        }
        System.out.println("Runtime chosen by the launcher: " + System.getenv("TARN_JVM_HOME"));
        long maxHeap = Runtime.getRuntime().maxMemory() / (1024 * 1024);
        System.out.println("Maximum heap: " + maxHeap + " MB");
        System.out.println("VM options: " + ManagementFactory.getRuntimeMXBean().getInputArguments());
        System.err.println("This line went to the error stream.");
    }
}
