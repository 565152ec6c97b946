import java.awt.Color;
import java.io.File;
import javax.swing.JFrame;
import javax.swing.SwingUtilities;

// A desktop program for the splash tests: main waits args[1] ms, then
// "window" shows a green undecorated frame at 0,0 (200 x 150), "none"
// shows nothing, and both wait in main; "fail" throws. The process stays
// up until a file named "stop" appears in the current folder (a minute at
// most). Prints when its window is up, and how long after the process
// started.
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
    if (args[0].equals("window")) showWindow();
    keeper.join();
  }

  static void showWindow() throws Exception {
    SwingUtilities.invokeAndWait(() -> {
      JFrame frame = new JFrame("Splash test window");
      frame.setUndecorated(true);
      frame.getContentPane().setBackground(Color.GREEN);
      frame.setBounds(0, 0, 200, 150);
      frame.setVisible(true);
    });
    long started = ProcessHandle.current().info().startInstant().map(i -> i.toEpochMilli()).orElse(0L);
    System.out.println("window shown " + (System.currentTimeMillis() - started) + " ms after the start");
  }
}
