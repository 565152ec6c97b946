import java.io.FileOutputStream;
import java.io.IOException;
import java.net.ServerSocket;
import java.util.Map;
import java.util.TreeMap;

// The start-up cache's test program: the same lines on both streams each run,
// from a Greeting class whose two versions differ; "exit" ends it through
// System.exit, "fill <file>" fills the disk that holds the file, and
// "listen <port>" listens on the port until it ends.
public class CacheProgram {
    public static void main(String[] args) throws IOException {
        Map<String, Integer> counts = new TreeMap<>();
        for (String arg : args) counts.merge(arg, 1, Integer::sum);
        System.out.println("out " + Greeting.text() + " " + counts);
        System.err.println("err " + Greeting.text());
        String action = args.length > 0 ? args[0] : "";
        if (action.equals("exit")) System.exit(5);
        if (action.equals("listen")) new ServerSocket(Integer.parseInt(args[1]));
        if (action.equals("fill")) try (FileOutputStream out = new FileOutputStream(args[1])) {
            while (true) out.write(new byte[1 << 16]);
        } catch (IOException full) {
        }
    }
}
