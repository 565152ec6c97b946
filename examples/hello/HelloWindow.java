import java.awt.BorderLayout;
import java.awt.GraphicsEnvironment;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.JTextArea;
import javax.swing.SwingUtilities;
import javax.swing.Timer;

/**
 * The window variant of the example: shows its arguments and heap in a Swing
 * window, which closes itself after the seconds given by --close-after=N.
 * Where the runtime has no window toolkit or there is no display, it says so.
 */
public class HelloWindow {
    public static void main(String[] args) throws Exception {
        int closeAfter = 0;
        StringBuilder text = new StringBuilder();
        for (int i = 0; i < args.length; i++) {
            if (args[i].startsWith("--close-after=")) {
                closeAfter = Integer.parseInt(args[i].substring("--close-after=".length()));
            }
            text.append('[').append(i).append("] ").append(args[i]).append('\n');
        }
        text.append("Maximum heap: ").append(Runtime.getRuntime().maxMemory() / (1024 * 1024)).append(" MB\n");
        text.append("Runtime: ").append(System.getenv("TARN_JVM_HOME")).append('\n');
        try {
            if (GraphicsEnvironment.isHeadless()) {
                System.out.println("No display for a window; this is what it would show:\n" + text);
                return;
            }
        } catch (Throwable e) {
            System.out.println("This runtime has no window toolkit (" + e + ")");
            return;
        }
        final int seconds = closeAfter;
        SwingUtilities.invokeAndWait(() -> {
            JFrame frame = new JFrame(System.getProperty("example.title", "Tarn example"));
            frame.setDefaultCloseOperation(JFrame.DISPOSE_ON_CLOSE);
            frame.add(new JLabel("  Started through Tarn with these arguments:"), BorderLayout.NORTH);
            frame.add(new JTextArea(text.toString()), BorderLayout.CENTER);
            frame.setSize(480, 240);
            frame.setLocationRelativeTo(null);
            frame.setVisible(true);
            if (seconds > 0) {
                Timer timer = new Timer(seconds * 1000, event -> frame.dispose());
                timer.setRepeats(false);
                timer.start();
            }
        });
        System.out.println("Window shown; the program ends when it is closed.");
    }
}
