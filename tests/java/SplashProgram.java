import java.awt.Color;
import java.io.File;
import javax.swing.JFrame;
import javax.swing.SwingUtilities;

// The splash tests' program: main waits args[1] ms, then "window" shows a
// green undecorated frame at 0,0 (200 x 150) and "none" nothing, both
// waiting in main, and "fail" throws. The process ends once a file "stop"
// appears in the current folder (a minute at most).
public class SplashProgram {
  public static void main(String[] args) throws Exception {
    Thread keeper = new Thread(() -> {
      for (int i = 0; i < 600 && !new File("stop").exists(); ++i) {
        try {
          Thread.sleep(100);
        } catch (InterruptedException e) {
          return;
        }
      }
      System.exit(0);
    });
    keeper.start();
    Thread.sleep(Long.parseLong(args[1]));
    if (args[0].equals("fail")) throw new IllegalStateException("main fails");
    if (args[0].equals("window")) {
      SwingUtilities.invokeAndWait(() -> {
        JFrame frame = new JFrame("Splash test window");
        frame.setUndecorated(true);
        frame.getContentPane().setBackground(Color.GREEN);
        frame.setBounds(0, 0, 200, 150);
        frame.setVisible(true);
      });
      long start = ProcessHandle.current().info().startInstant().map(i -> i.toEpochMilli()).orElse(0L);
      System.out.println("window shown " + (System.currentTimeMillis() - start) + " ms after the start");
    }
    keeper.join();
  }
}
