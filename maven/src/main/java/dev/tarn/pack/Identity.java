package dev.tarn.pack;

/**
 * What makes a Windows executable the application's own: its icon (the bytes of an .ico file),
 * its version information, its splash image and the execution level its manifest asks for. Empty texts are left out; the product version
 * defaults to the file version and the other way round, the description to the product name.
 */
public final class Identity {
  public byte[] icon;
  /** A PNG, GIF or BMP file that the launcher shows while Java starts. */
  public byte[] splash;
  /** One to four numbers with dots between: "1.2" means 1.2.0.0. */
  public String fileVersion = "";
  /** Numbers as the file version, unless {@link #productVersionNumbers} gives them. */
  public String productVersion = "";
  /**
   * The product version's numbers when its text is something else, such as "2.5.1-SNAPSHOT";
   * empty to take them from the text.
   */
  public String productVersionNumbers = "";
  public String productName = "";
  public String company = "";
  public String description = "";
  public String copyright = "";
  public String originalName = "";
  /** asInvoker, highestAvailable or requireAdministrator; empty keeps the launcher's, asInvoker. */
  public String executionLevel = "";

  /** "1" to "1.2.3.4", each number up to 65535: a version the resource can hold. */
  public static boolean isVersionNumber(String text) {
    return VersionInfo.parseNumber(text) != null;
  }

  public boolean hasIcon() {
    return icon != null;
  }

  public boolean hasVersion() {
    return !fileVersion.isEmpty() || !productVersion.isEmpty() || !productName.isEmpty()
        || !company.isEmpty() || !description.isEmpty() || !copyright.isEmpty()
        || !originalName.isEmpty();
  }

  public boolean hasSplash() {
    return splash != null;
  }

  public boolean any() {
    return hasIcon() || hasSplash() || hasVersion() || !executionLevel.isEmpty();
  }
}
