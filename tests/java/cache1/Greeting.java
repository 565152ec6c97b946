public class Greeting {
    static String text() { return "one"; }
}
