import java.awt.Color;
import java.io.File;
import javax.swing.JFrame;
import javax.swing.JPanel;
import javax.swing.SwingUtilities;
import javax.swing.Timer;

// Opens a window titled by the second argument and filled with one colour
// (#12A45E) that a screenshot can find, and closes it once the file the
// first argument names exists. main returns at once: the process lives on
// in the window's threads.
public class WindowProbe {
    public static void main(String[] args) throws Exception {
        File closeWhen = new File(args[0]);
        SwingUtilities.invokeAndWait(() -> {
            JFrame frame = new JFrame(args[1]);
            JPanel panel = new JPanel();
            panel.setBackground(new Color(0x12, 0xa4, 0x5e));
            frame.add(panel);
            frame.setDefaultCloseOperation(JFrame.DISPOSE_ON_CLOSE);
            frame.setBounds(100, 100, 320, 200);
            frame.setVisible(true);
            new Timer(100, event -> {
                if (closeWhen.exists()) {
                    ((Timer) event.getSource()).stop();
                    frame.dispose();
                }
            }).start();
        });
        System.out.println("window shown");
    }
}
