package dev.tarn.pack;

/**
 * The configuration's sections and keys as the launcher spells them. A file beside the launcher
 * matches names without regard to case, the embedded configuration exactly, so the packer
 * writes a known name in this spelling. The same table as the launcher's own (src/config).
 */
public final class SettingNames {
  public static final String PRODUCT = "Product Information";
  public static final String RUNTIME = "Java Runtime Environment";
  public static final String APPLICATION = "Application";
  public static final String CLASS_PATH = "Class Path";

  /** Every key the launcher reads, after its section. */
  static final String[][] KEYS = {
    {PRODUCT, "Product Code"},
    {PRODUCT, "Product Name"},
    {RUNTIME, "Minimum Version"},
    {RUNTIME, "Maximum Version"},
    {RUNTIME, "Preferred versions"},
    {RUNTIME, "JRE Path"},
    {RUNTIME, "JVM Type"},
    {RUNTIME, "JVM Source"},
    {RUNTIME, "VM Provider"},
    {RUNTIME, "Main Class"},
    {RUNTIME, "System Path"},
    {RUNTIME, "Library Path"},
    {RUNTIME, "Startup Cache"},
    {RUNTIME, "Virtual Machine Parameters"},
    {RUNTIME, "Download Page"},
    {APPLICATION, "Application Type"},
    {APPLICATION, "Failure Check"},
    {APPLICATION, "Override WorkingDir"},
    {APPLICATION, "Single Instance"},
    {APPLICATION, "Embedded Jar"},
    {APPLICATION, "Output File"},
    {APPLICATION, "Error File"},
    {APPLICATION, "Cmd"},
    {APPLICATION, "Attach Console"},
    {APPLICATION, "App User Model ID"},
    {APPLICATION, "Splash Image"},
    {APPLICATION, "Splash Timeout"},
    {CLASS_PATH, "Class Path"},
  };

  private SettingNames() {}

  /** Case is ignored for ASCII letters only, as the launcher's reader ignores it. */
  static boolean sameName(String a, String b) {
    if (a.length() != b.length()) return false;
    for (int i = 0; i < a.length(); ++i) if (lowerAscii(a.charAt(i)) != lowerAscii(b.charAt(i))) return false;
    return true;
  }

  private static char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? (char) (c - 'A' + 'a') : c;
  }

  /** The name of the section that an append section ("name+") extends. */
  private static String extendedSection(String name) {
    return name.endsWith("+") ? name.substring(0, name.length() - 1) : name;
  }

  /** The launcher's spelling of a section name, an append section's "+" kept; null if unknown. */
  static String section(String name) {
    String plain = extendedSection(name);
    for (String[] known : KEYS) if (sameName(plain, known[0])) return known[0] + name.substring(plain.length());
    return null;
  }

  /** The same for a key under a section given in the launcher's spelling (or null). */
  static String key(String section, String key) {
    if (section == null) return null;
    String plain = extendedSection(section);
    for (String[] known : KEYS) if (plain.equals(known[0]) && sameName(key, known[1])) return known[1];
    return null;
  }
}
