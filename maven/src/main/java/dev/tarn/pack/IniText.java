package dev.tarn.pack;

import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.CodingErrorAction;
import java.nio.charset.StandardCharsets;

/**
 * An INI file's bytes as the text a launcher embeds. The embedded reader knows only "\r\n" line
 * ends, sections and key lines, and matches names exactly, so the file is put in that form by
 * the rules of the configuration file's own reader: comment and blank lines and lines without
 * "=" go, blanks around names and values go, matching quotes around a whole value go, and the
 * section and key names the launcher reads, which a file matches in any case, take the
 * launcher's spelling.
 */
public final class IniText {
  private IniText() {}

  /** UTF-8 (with or without a byte order mark) or UTF-16LE with one. */
  public static String embeddedText(byte[] ini) throws PackException {
    String whole;
    if (ini.length >= 2 && (ini[0] & 0xFF) == 0xFF && (ini[1] & 0xFF) == 0xFE) {
      if (ini.length % 2 != 0) throw refusal("the configuration is UTF-16 of an odd number of bytes");
      StringBuilder text = new StringBuilder(ini.length / 2);
      for (int i = 2; i < ini.length; i += 2) text.append((char) LittleEndian.read16(ini, i));
      whole = text.toString();
    } else {
      int from = ini.length >= 3 && (ini[0] & 0xFF) == 0xEF && (ini[1] & 0xFF) == 0xBB
          && (ini[2] & 0xFF) == 0xBF ? 3 : 0;
      try {
        whole = strictUtf8(ini, from, ini.length - from);
      } catch (CharacterCodingException e) {
        throw refusal("the configuration is neither UTF-8 nor UTF-16 with a byte order mark; save it as UTF-8");
      }
    }
    if (whole.indexOf('\0') >= 0)
      throw refusal("the configuration holds NUL characters (UTF-16 without a byte order mark?)");
    StringBuilder text = new StringBuilder();
    String[] section = {null};
    int start = 0;
    while (start < whole.length()) {
      int end = start;
      while (end < whole.length() && whole.charAt(end) != '\r' && whole.charAt(end) != '\n') ++end;
      String line = embeddedLine(whole.substring(start, end), section);
      if (!line.isEmpty()) {
        if (text.length() > 0) text.append("\r\n");
        text.append(line);
      }
      start = end + (whole.startsWith("\r\n", end) ? 2 : 1);
    }
    return text.toString();
  }

  /**
   * The embedded text of an executable that carries a jar. That jar is the program's, so where
   * the text leaves "Embedded Jar" unset or empty, the line "Embedded Jar=Yes" goes first into its
   * first "Application" section (added at the end when there is none); a text that sets the key
   * to anything the launcher reads as off is refused, as the jar would never be used.
   *
   * @param given whether the jar comes with this packing or stays from an earlier one
   */
  static String withEmbeddedJar(String text, boolean given) throws PackException {
    String section = "[Application]";
    String key = "Embedded Jar=";
    int header = -1;
    for (int start = 0; start < text.length(); ) {
      int end = text.indexOf("\r\n", start);
      if (end < 0) end = text.length();
      String line = text.substring(start, end);
      start = end + 2;
      if (header < 0) {
        if (line.equals(section)) header = end;
        continue;
      }
      if (mayBeHeader(line)) break;
      if (!line.startsWith(key)) continue;
      String value = line.substring(key.length());
      if (isYes(value)) return text;
      if (value.isEmpty()) break;  // the first of a key counts: one put in front of it wins
      throw refusal("the configuration sets \"Embedded Jar=" + value + "\", so the "
          + (given ? "jar would never be used; leave the key out or set it to Yes, or give no jar"
              : "jar of the earlier packing would never be used; leave the key out or set it to Yes,"
                  + " or pack the plain launcher"));
    }
    if (header >= 0) return text.substring(0, header) + "\r\n" + key + "Yes" + text.substring(header);
    return text + (text.isEmpty() ? "" : "\r\n") + section + "\r\n" + key + "Yes";
  }

  /** The launcher's test of a yes/no key: ASCII letters in any case, nothing else folded. */
  private static boolean isYes(String value) {
    if (value.length() != 3) return false;
    for (int i = 0; i < 3; ++i) {
      char c = value.charAt(i);
      if (c >= 'A' && c <= 'Z') c = (char) (c - 'A' + 'a');
      if (c != "yes".charAt(i)) return false;
    }
    return true;
  }

  /**
   * Whether the launcher may take the line for a section header: it skips bytes above 127 around
   * one as blanks, and every character beyond ASCII becomes such a byte or "?" in its code page.
   */
  private static boolean mayBeHeader(String line) {
    int first = 0;
    int last = line.length();
    while (first < last && isHeaderBlank(line.charAt(first))) ++first;
    while (last > first && isHeaderBlank(line.charAt(last - 1))) --last;
    return last - first >= 2 && line.charAt(first) == '[' && line.charAt(last - 1) == ']';
  }

  private static boolean isHeaderBlank(char c) {
    return (c >= 1 && c <= 32) || c >= 128;
  }

  /** UTF-8 that refuses overlong forms, surrogates and anything above U+10FFFF. */
  static String strictUtf8(byte[] bytes, int from, int length) throws CharacterCodingException {
    return StandardCharsets.UTF_8.newDecoder()
        .onMalformedInput(CodingErrorAction.REPORT)
        .onUnmappableCharacter(CodingErrorAction.REPORT)
        .decode(ByteBuffer.wrap(bytes, from, length))
        .toString();
  }

  private static PackException refusal(String message) {
    return new PackException(PackException.Input.CONFIGURATION, message);
  }

  private static boolean isBlank(char c) {
    return c == ' ' || c == '\t' || c == 0x0B || c == '\f' || c == 0x1A;
  }

  static String trim(String text) {
    int first = 0;
    int last = text.length();
    while (first < last && isBlank(text.charAt(first))) ++first;
    while (last > first && isBlank(text.charAt(last - 1))) --last;
    return text.substring(first, last);
  }

  /**
   * One line in the embedded form, or "" to drop it. section[0] is the launcher's spelling of
   * the current section, null for one it does not read.
   */
  private static String embeddedLine(String raw, String[] section) {
    String line = trim(raw);
    if (line.isEmpty() || line.charAt(0) == ';') return "";
    if (line.charAt(0) == '[') {
      int close = line.lastIndexOf(']');
      if (close < 0) return "";
      String name = trim(line.substring(1, close));
      section[0] = SettingNames.section(name);
      return "[" + (section[0] == null ? name : section[0]) + "]";
    }
    int equals = line.indexOf('=');
    if (equals < 0) return "";
    String key = trim(line.substring(0, equals));
    String value = trim(line.substring(equals + 1));
    if (value.length() >= 2 && (value.charAt(0) == '"' || value.charAt(0) == '\'')
        && value.charAt(value.length() - 1) == value.charAt(0))
      value = value.substring(1, value.length() - 1);
    String known = SettingNames.key(section[0], key);
    return (known == null ? key : known) + "=" + value;
  }
}
