import java.lang.management.ManagementFactory;

// Prints what the launcher handed over, one fact a line, in ASCII (other
// characters as backslash-u and four hex digits), then does what the probe.* properties ask.
public class Probe {
    static String escape(String text) {
        StringBuilder out = new StringBuilder();
        for (char c : text.toCharArray()) {
            if (c >= 0x20 && c < 0x7f) out.append(c);
            else out.append(String.format("\\u%04X", (int) c));
        }
        return out.toString();
    }

    static int depth;

    static void recurse() {
        depth++;
        recurse();
    }

    static int maxDepth() {
        depth = 0;
        try {
            recurse();
        } catch (StackOverflowError e) {
            // expected
        }
        return depth;
    }

    // The machine's memory as the system reports it to the VM.
    static long physicalMemory() {
        try {
            return ((com.sun.management.OperatingSystemMXBean)
                    ManagementFactory.getOperatingSystemMXBean()).getTotalPhysicalMemorySize();
        } catch (Throwable e) {
            return -1;
        }
    }

    public static void main(String[] args) throws Exception {
        System.out.println("args " + args.length);
        for (int i = 0; i < args.length; i++) System.out.println("arg " + i + " " + escape(args[i]));
        for (String name : new String[] {"TARN_JVM_PATH", "TARN_JVM_HOME", "PATH", "PROBE_VAR",
                                                  "TARN_CACHE_FINISHER"}) {
            String value = System.getenv(name);
            System.out.println("env " + name + "=" + (value == null ? "<unset>" : escape(value)));
        }
        System.out.println("prop java.library.path=" + escape(System.getProperty("java.library.path")));
        System.out.println("prop java.class.path=" + escape(System.getProperty("java.class.path")));
        String value = System.getProperty("probe.value");
        if (value != null) System.out.println("prop probe.value=" + escape(value));
        for (String option : ManagementFactory.getRuntimeMXBean().getInputArguments())
            System.out.println("vmarg " + escape(option));
        System.out.println("daemon " + Thread.currentThread().isDaemon());
        for (String name : new String[] {"user.dir", "java.version"})
            System.out.println("prop " + name + "=" + escape(System.getProperty(name)));
        System.out.println("memory max " + Runtime.getRuntime().maxMemory());
        System.out.println("memory physical " + physicalMemory());
        System.err.println("to-err");

        String stack = System.getProperty("probe.stack");
        if (stack != null) {
            // The main thread's stack against a thread given that size on purpose.
            int mainDepth = maxDepth();
            int[] other = new int[1];
            Thread t = new Thread(null, () -> other[0] = maxDepth(), "sized", Long.parseLong(stack));
            t.start();
            t.join();
            String verdict = mainDepth * 2 < other[0] ? "smaller"
                : other[0] * 2 < mainDepth ? "larger" : "like-sized";
            System.out.println("stack " + verdict + " " + mainDepth + " " + other[0]);
        }
        if (System.getProperty("probe.worker") != null) {
            Thread worker = new Thread(() -> {
                try {
                    Thread.sleep(700);
                } catch (InterruptedException e) {
                    return;
                }
                System.out.println("worker done");
            });
            worker.start();
        }
        if (System.getProperty("probe.handler") != null)
            Thread.setDefaultUncaughtExceptionHandler(
                (thread, e) -> System.out.println("handler " + thread.getName() + " " + e));
        String exit = System.getProperty("probe.exit");
        if (exit != null) System.exit(Integer.parseInt(exit));
        if (System.getProperty("probe.throw") != null) throw new IllegalStateException("probe failure");
        System.out.println("main done");
    }
}
