import java.util.Map;
import java.util.TreeMap;

// The start-up cache's test program: the same lines on both streams each run,
// from a Greeting class whose two versions differ; "exit" ends it through
// System.exit.
public class CacheProgram {
    public static void main(String[] args) {
        Map<String, Integer> counts = new TreeMap<>();
        for (String arg : args) counts.merge(arg, 1, Integer::sum);
        System.out.println("out " + Greeting.text() + " " + counts);
        System.err.println("err " + Greeting.text());
        if (args.length > 0 && args[0].equals("exit")) System.exit(5);
    }
}
