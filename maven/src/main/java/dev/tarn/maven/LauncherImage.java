package dev.tarn.maven;

import dev.tarn.pack.PackFiles;
import java.io.IOException;
import java.io.InputStream;

/**
 * The launchers the plugin carries, each under its id as released. Not named after the
 * {@code <launcher>} elements of {@code <launchers>}: Maven would take such an element for this type.
 */
enum LauncherImage {
  WINDOWS_X64("windows-x64", "tarn.exe"),
  WINDOWS_X64_WINDOW("windows-x64-window", "tarnw.exe"),
  WINDOWS_X86("windows-x86", "tarn.exe"),
  WINDOWS_X86_WINDOW("windows-x86-window", "tarnw.exe"),
  LINUX_X64("linux-x64", "tarn");

  final String id;
  private final String image;

  LauncherImage(String id, String image) {
    this.id = id;
    this.image = image;
  }

  boolean windows() {
    return image.endsWith(".exe");
  }

  /** The application's executable under the given name. */
  String executableName(String name) {
    return windows() ? name + ".exe" : name;
  }

  /**
   * The INI file the launcher reads beside that executable: the executable's name with its
   * extension replaced, so that a Linux "my.app" reads "my.ini".
   */
  String iniName(String name) {
    String executable = executableName(name);
    int dot = executable.lastIndexOf('.');
    return (dot < 0 ? executable : executable.substring(0, dot)) + ".ini";
  }

  static LauncherImage byId(String id) {
    for (LauncherImage launcher : values()) if (launcher.id.equals(id)) return launcher;
    return null;
  }

  static String ids() {
    StringBuilder ids = new StringBuilder();
    LauncherImage[] all = values();
    for (int i = 0; i < all.length; ++i) {
      if (i > 0) ids.append(i == all.length - 1 ? " or " : ", ");
      ids.append(all[i].id);
    }
    return ids.toString();
  }

  /** The launcher's bytes, a resource of the plugin's jar; null when the jar lacks it. */
  byte[] image() throws IOException {
    try (InputStream in = LauncherImage.class.getResourceAsStream("/dev/tarn/launchers/" + id + "/" + image)) {
      return in == null ? null : PackFiles.readAll(in);
    }
  }
}
