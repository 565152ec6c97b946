package dev.tarn.pack;

import java.nio.charset.StandardCharsets;
import java.util.Arrays;

/**
 * The application manifest's requested execution level: whether Windows starts the program as
 * the user, or asks to elevate it first. The same edit as the native tool's.
 */
public final class ExecutionLevel {
  private ExecutionLevel() {}

  /** asInvoker (the launcher's own), highestAvailable, requireAdministrator. */
  public static boolean isLevel(String level) {
    return level.equals("asInvoker") || level.equals("highestAvailable") || level.equals("requireAdministrator");
  }

  private static boolean isXmlSpace(byte c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
  }

  private static int find(byte[] bytes, String text, int from, int end) {
    byte[] wanted = text.getBytes(StandardCharsets.ISO_8859_1);
    for (int at = from; at + wanted.length <= end; ++at) {
      int i = 0;
      while (i < wanted.length && bytes[at + i] == wanted[i]) ++i;
      if (i == wanted.length) return at;
    }
    return -1;
  }

  /**
   * The manifest with the level attribute of its requestedExecutionLevel element set; every
   * other byte stays. Null when it has no such element with a level.
   */
  static byte[] set(byte[] manifest, String level) {
    String element = "<requestedExecutionLevel";
    int start = find(manifest, element, 0, manifest.length);
    if (start < 0) return null;
    start += element.length();
    int end = find(manifest, ">", start, manifest.length);
    if (end < 0) return null;
    // The attribute named level, not one whose name ends in it.
    for (int at = find(manifest, "level", start, end); at >= 0; at = find(manifest, "level", at + 1, end)) {
      if (!isXmlSpace(manifest[at - 1])) continue;
      int i = at + 5;
      while (i < end && isXmlSpace(manifest[i])) ++i;
      if (i == end || manifest[i] != '=') continue;
      ++i;
      while (i < end && isXmlSpace(manifest[i])) ++i;
      if (i == end || (manifest[i] != '"' && manifest[i] != '\'')) continue;
      int value = i + 1;
      int close = find(manifest, String.valueOf((char) manifest[i]), value, end);
      if (close < 0) return null;
      byte[] levelBytes = level.getBytes(StandardCharsets.UTF_8);
      byte[] result = Arrays.copyOf(manifest, manifest.length - (close - value) + levelBytes.length);
      System.arraycopy(levelBytes, 0, result, value, levelBytes.length);
      System.arraycopy(manifest, close, result, value + levelBytes.length, manifest.length - close);
      return result;
    }
    return null;
  }
}
