import java.nio.file.Files;
import java.util.concurrent.CountDownLatch;

// A service: main records its arguments and runs until stop is called, or
// calls System.exit with the number in "exit-with" when that file exists,
// or throws when "throw" exists, leaving a thread that runs until "quit".
// With "hold", main returns after stop only once "release" exists; with
// "stop-throws", stop throws once it has let main go.
public class ServiceProgram {
    private static final CountDownLatch stopped = new CountDownLatch(1);

    public static void main(String[] args) throws Exception {
        for (int i = 0; i < args.length; i++) TestState.append("arguments", args[i]);
        TestState.append("started", "ServiceProgram");
        if (Files.exists(TestState.file("exit-with")))
            System.exit(Integer.parseInt(Files.readAllLines(TestState.file("exit-with")).get(0).trim()));
        if (Files.exists(TestState.file("throw"))) {
            new Thread(() -> {
                TestState.append("threads", "running");
                try {
                    TestState.waitFor("quit");
                } catch (InterruptedException e) {
                    Thread.currentThread().interrupt();
                }
            }).start();
            throw new IllegalStateException("service failure");
        }
        stopped.await();
        if (Files.exists(TestState.file("hold"))) TestState.waitFor("release");
        TestState.append("main", "returned");
    }

    public static void stop() {
        TestState.append("stop", "called");
        stopped.countDown();
        if (Files.exists(TestState.file("stop-throws"))) throw new IllegalStateException("stop failure");
    }
}
