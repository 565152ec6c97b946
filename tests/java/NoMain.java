// A main class whose main is an instance method.
public class NoMain {
    public void main(String[] args) {
        System.out.println("should not run");
    }
}
