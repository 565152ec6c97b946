package dev.tarn.pack;

/**
 * A refusal: the message is the one the native tool prints after its name, and {@link #input}
 * says which input it is about, so that a caller can name the file or the setting.
 */
public final class PackException extends Exception {
  private static final long serialVersionUID = 1L;

  /** What a refusal is about. */
  public enum Input {
    LAUNCHER,
    CONFIGURATION,
    JAR,
    ICON,
    SPLASH,
    /** A version number or text, or the execution level, of the identity. */
    VERSION,
    /** A file as a whole: it cannot be read or written, or it is one of the inputs. */
    FILE
  }

  private final Input input;

  public PackException(Input input, String message) {
    super(message);
    this.input = input;
  }

  public Input input() {
    return input;
  }
}
