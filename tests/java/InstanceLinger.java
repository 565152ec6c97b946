// A single-instance program whose main returns at once and leaves a
// non-daemon thread running until "quit": the first instance goes on, and
// takes hand-overs, until that thread ends.
public class InstanceLinger {
    public static void main(String[] args) {
        TestState.append("main", "InstanceLinger " + TestState.list(args));
        Thread worker = new Thread(() -> {
            try {
                TestState.waitFor("quit");
                TestState.append("worker", "ended");
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
        });
        worker.start();
        TestState.append("started", "InstanceLinger");
    }

    public static int secondaryMain(String[] args) {
        TestState.append("received", TestState.list(args));
        return 40 + args.length;
    }
}
