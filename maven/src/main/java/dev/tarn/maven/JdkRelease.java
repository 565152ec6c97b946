package dev.tarn.maven;

import java.io.File;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.util.Arrays;
import java.util.LinkedHashMap;
import java.util.Map;
import java.util.Set;
import java.util.TreeSet;

/**
 * A JDK's folder as its release file describes it: the system it is for, its version and its
 * modules. What a link may take from it is decided by what it says, not by the folder's name.
 */
final class JdkRelease {
  final File home;
  private final Map<String, String> values;

  private JdkRelease(File home, Map<String, String> values) {
    this.home = home;
    this.values = values;
  }

  /** The release file's KEY="value" lines; null when the folder has none. */
  static JdkRelease read(File home) throws IOException {
    File file = new File(home, "release");
    if (!file.isFile()) return null;
    return parse(home, new String(Files.readAllBytes(file.toPath()), StandardCharsets.UTF_8));
  }

  static JdkRelease parse(File home, String text) {
    Map<String, String> values = new LinkedHashMap<>();
    for (String line : text.split("\r?\n")) {
      int equals = line.indexOf('=');
      if (equals <= 0) continue;
      String value = line.substring(equals + 1).trim();
      if (value.length() >= 2 && value.startsWith("\"") && value.endsWith("\""))
        value = value.substring(1, value.length() - 1);
      values.put(line.substring(0, equals).trim(), value);
    }
    return new JdkRelease(home, values);
  }

  String value(String key) {
    String value = values.get(key);
    return value == null ? "" : value;
  }

  String version() {
    return value("JAVA_VERSION");
  }

  /** 17 of "17.0.9", 8 of "1.8.0_392"; 0 when the file names no version. */
  int feature() {
    int[] parts = versionParts(version());
    return parts.length == 0 ? 0 : parts[0] == 1 && parts.length > 1 ? parts[1] : parts[0];
  }

  /**
   * The operating system: OS_NAME, or where an older or repackaged runtime leaves it out, what
   * its native libraries say.
   */
  String osName() {
    String name = value("OS_NAME");
    if (!name.isEmpty()) return name;
    if (new File(home, "bin/java.dll").isFile()) return "Windows";
    if (new File(home, "lib/libjava.so").isFile()) return "Linux";
    return "";
  }

  /** x86_64 for amd64 too, x86 for i386 to i686; as written otherwise. */
  String arch() {
    String arch = value("OS_ARCH");
    if (arch.equals("amd64") || arch.equals("x86_64") || arch.equals("x64")) return "x86_64";
    if (arch.matches("i[3-6]86|x86")) return "x86";
    return arch;
  }

  /** "Linux x86_64", as messages name a system. */
  String system() {
    String arch = arch();
    return (osName().isEmpty() ? "an unknown system" : osName()) + (arch.isEmpty() ? "" : " " + arch);
  }

  boolean hasJmods() {
    return new File(home, "jmods/java.base.jmod").isFile();
  }

  /** The modules the JDK can link: MODULES, else its jmods/; null when neither says. */
  Set<String> modules() {
    String listed = value("MODULES");
    if (!listed.isEmpty()) return new TreeSet<>(Arrays.asList(listed.trim().split("\\s+")));
    String[] jmods = new File(home, "jmods").list();
    if (jmods == null) return null;
    Set<String> modules = new TreeSet<>();
    for (String jmod : jmods) if (jmod.endsWith(".jmod")) modules.add(jmod.substring(0, jmod.length() - 5));
    return modules;
  }

  /** The system a launcher runs on, in the words of system(). */
  static String systemOf(LauncherImage launcher) {
    return (launcher.windows() ? "Windows" : "Linux") + (launcher.id.startsWith("windows-x86") ? " x86" : " x86_64");
  }

  /** Whether this JDK's programs and libraries are for the launcher's system; an unnamed architecture passes. */
  boolean isFor(LauncherImage launcher) {
    String wanted = systemOf(launcher);
    return osName().equalsIgnoreCase(wanted.substring(0, wanted.indexOf(' ')))
        && (arch().isEmpty() || arch().equals(wanted.substring(wanted.indexOf(' ') + 1)))
        && !value("LIBC").equals("musl");
  }

  /** The machine this build runs on, in the words of system(). */
  static String buildSystem() {
    String os = System.getProperty("os.name", "");
    String arch = System.getProperty("os.arch", "");
    String name = os.startsWith("Windows") ? "Windows" : os.startsWith("Linux") ? "Linux" : os;
    return parse(new File("."), "OS_NAME=" + name + "\nOS_ARCH=" + arch).system();
  }

  /**
   * Why this JDK cannot give the launcher its runtime, in words that follow its folder's name;
   * null when it can. minimumVersion is the launchers' "Minimum Version", or null.
   */
  String refusal(LauncherImage launcher, String minimumVersion) {
    if (!isFor(launcher))
      return "is a JDK for " + system() + (value("LIBC").equals("musl") ? " with musl libc" : "") + ", not for "
          + launcher.id + " (" + systemOf(launcher) + "); name a JDK for " + systemOf(launcher);
    if (feature() < 11)
      return "is Java " + (version().isEmpty() ? "of no known version (its release file names none)" : version())
          + ", which cannot link a runtime; name a JDK of Java 11 or later";
    if (minimumVersion != null && !minimumVersion.trim().isEmpty() && !minimumVersion.trim().equals("any")
        && compareVersions(version(), minimumVersion.trim()) < 0)
      return "is Java " + version() + ", older than the Minimum Version " + minimumVersion.trim()
          + "; name a JDK of that version or later";
    return null;
  }

  /** The numbers of a version text, split at dots, underscores and dashes; up to the first other. */
  static int[] versionParts(String version) {
    String[] pieces = version.split("[._+-]");
    int count = 0;
    while (count < pieces.length && pieces[count].matches("[0-9]{1,9}")) ++count;
    int[] parts = new int[count];
    for (int i = 0; i < count; ++i) parts[i] = Integer.parseInt(pieces[i]);
    return parts;
  }

  /** Part by part, as the launcher compares versions: a missing part counts as 0. */
  static int compareVersions(String a, String b) {
    int[] x = versionParts(a);
    int[] y = versionParts(b);
    for (int i = 0; i < Math.max(x.length, y.length); ++i) {
      int left = i < x.length ? x[i] : 0;
      int right = i < y.length ? y[i] : 0;
      if (left != right) return Integer.compare(left, right);
    }
    return 0;
  }
}
