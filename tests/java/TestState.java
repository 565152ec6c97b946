import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardOpenOption;

// The folder named by -Dstate.dir through which the single-instance and
// service programs tell a test what they received, and learn when to end.
final class TestState {
    private TestState() {}

    static Path file(String name) {
        return Paths.get(System.getProperty("state.dir"), name);
    }

    static synchronized void append(String name, String line) {
        try {
            Files.write(file(name), (line + "\n").getBytes(StandardCharsets.UTF_8),
                    StandardOpenOption.CREATE, StandardOpenOption.APPEND);
        } catch (IOException e) {
            throw new RuntimeException(e);
        }
    }

    // Arguments as one line: each in brackets, so empty ones show.
    static String list(String[] args) {
        StringBuilder out = new StringBuilder();
        out.append(args.length);
        for (String arg : args) out.append(" [").append(arg).append(']');
        return out.toString();
    }

    static void waitFor(String name) throws InterruptedException {
        while (!Files.exists(file(name))) Thread.sleep(20);
    }

    // A shutdown hook that says it runs and keeps the VM's end waiting until
    // "end" exists.
    static void holdShutdownUntilEnd() {
        Runtime.getRuntime().addShutdownHook(new Thread(() -> {
            append("hook", "running");
            try {
                waitFor("end");
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
        }));
    }

    // main: records its arguments, says it runs, and waits for "quit" unless
    // its first argument is "once".
    static void runMain(String program, String[] args) throws InterruptedException {
        append("main", program + " " + list(args));
        if (args.length > 0 && args[0].equals("once")) return;
        append("started", program);
        waitFor("quit");
    }
}
