package dev.tarn.pack;

import java.util.ArrayList;
import java.util.List;

/**
 * The version information resource (RT_VERSION): the fixed numbers and the strings, in US
 * English with Unicode text.
 */
final class VersionInfo {
  final int[] fileVersion = new int[4];
  final int[] productVersion = new int[4];
  /** Keys and values of the string table, in this order. */
  final List<String[]> strings = new ArrayList<>();

  /**
   * "1", "1.2", "1.2.3" or "1.2.3.4", each part a decimal number up to 65535; missing parts are
   * 0. Null for anything else.
   */
  static int[] parseNumber(String text) {
    int[] result = new int[4];
    int part = 0;
    int at = 0;
    while (true) {
      if (part == 4 || at >= text.length() || !isDigit(text.charAt(at))) return null;
      int value = 0;
      for (int digits = 0; at < text.length() && isDigit(text.charAt(at)); ++at, ++digits) {
        value = value * 10 + (text.charAt(at) - '0');
        if (value > 0xFFFF || digits >= 5) return null;
      }
      result[part++] = value;
      if (at == text.length()) break;
      if (text.charAt(at++) != '.') return null;
    }
    return result;
  }

  private static boolean isDigit(char c) {
    return c >= '0' && c <= '9';
  }

  /**
   * The resource's bytes: VS_VERSIONINFO with the fixed file information (an application for
   * Windows NT), the string table 040904B0 and the translation 0x0409/1200.
   */
  byte[] encode() {
    Writer fixed = new Writer();
    fixed.put32(0xFEEF04BDL);  // signature
    fixed.put32(0x00010000L);  // structure version 1.0
    fixed.put32(high(fileVersion));
    fixed.put32(low(fileVersion));
    fixed.put32(high(productVersion));
    fixed.put32(low(productVersion));
    fixed.put32(0x3F);  // flags mask
    fixed.put32(0);  // flags
    fixed.put32(0x00040004L);  // VOS_NT_WINDOWS32
    fixed.put32(1);  // VFT_APP
    fixed.put32(0);  // subtype
    fixed.put32(0);  // date, high
    fixed.put32(0);  // date, low

    List<byte[]> entries = new ArrayList<>();
    for (String[] entry : strings) {
      Writer value = new Writer();
      value.putText(entry[1]);
      entries.add(block(entry[0], value.toByteArray(), entry[1].length() + 1, true, new ArrayList<byte[]>()));
    }
    byte[] table = block("040904B0", new byte[0], 0, true, entries);
    byte[] stringInfo = block("StringFileInfo", new byte[0], 0, true, one(table));
    Writer translation = new Writer();
    translation.put16(0x0409);
    translation.put16(1200);
    byte[] var = block("Translation", translation.toByteArray(), 4, false, new ArrayList<byte[]>());
    byte[] varInfo = block("VarFileInfo", new byte[0], 0, true, one(var));
    List<byte[]> children = new ArrayList<>();
    children.add(stringInfo);
    children.add(varInfo);
    byte[] fixedBytes = fixed.toByteArray();
    return block("VS_VERSION_INFO", fixedBytes, fixedBytes.length, false, children);
  }

  private static List<byte[]> one(byte[] child) {
    List<byte[]> list = new ArrayList<>();
    list.add(child);
    return list;
  }

  private static long high(int[] parts) {
    return (long) parts[0] << 16 | parts[1];
  }

  private static long low(int[] parts) {
    return (long) parts[2] << 16 | parts[3];
  }

  /**
   * One block: length, value length, type (1 for text), key, value, then the children, each on
   * a 4-byte boundary. The length spans them all.
   */
  private static byte[] block(String key, byte[] value, int valueLength, boolean text, List<byte[]> children) {
    Writer out = new Writer();
    out.put32(0);
    out.put16(text ? 1 : 0);
    out.putText(key);
    out.pad();
    out.write(value, 0, value.length);
    for (byte[] child : children) {
      out.pad();
      out.write(child, 0, child.length);
    }
    byte[] bytes = out.toByteArray();
    LittleEndian.write16(bytes, 0, bytes.length);
    LittleEndian.write16(bytes, 2, valueLength);
    return bytes;
  }

  private static final class Writer extends LittleEndian.Buffer {
    void putText(String text) {
      for (int i = 0; i < text.length(); ++i) put16(text.charAt(i));
      put16(0);
    }

    void pad() {
      while (size() % 4 != 0) write(0);
    }
  }
}
