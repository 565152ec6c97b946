package dev.tarn.maven;

import dev.tarn.pack.IniText;
import dev.tarn.pack.PackException;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;

/**
 * A configuration as sections of keys, in the order they were first set: an INI file's lines
 * as the launcher reads them, then the pom's values in place of the file's. Names match
 * without regard to case, as the launcher matches them in a file.
 */
final class IniSettings {
  static final String RUNTIME = "Java Runtime Environment";
  static final String APPLICATION = "Application";
  static final String CLASS_PATH = "Class Path";
  static final String PRODUCT = "Product Information";

  // The launcher matches names in its embedded configuration exactly, and in a file without
  // regard to case: names from a file are given their exact spelling, so that an INI file
  // means the same when it is packed.
  private static final String[] NAMES = {RUNTIME, APPLICATION, CLASS_PATH, PRODUCT, "Main Class",
      "Minimum Version", "Maximum Version", "Preferred versions", "JRE Path", "JVM Type", "JVM Source",
      "VM Provider", "Virtual Machine Parameters", "Library Path", "System Path", "Startup Cache",
      "Cmd", "Output File", "Error File", "Override WorkingDir", "Failure Check", "Embedded Jar",
      "Application Type", "Single Instance", "Product Name", "Product Code"};

  private static String exactName(String name) {
    String plain = name.endsWith("+") ? name.substring(0, name.length() - 1) : name;
    for (String known : NAMES) if (same(known, plain)) return known + name.substring(plain.length());
    return name;
  }

  private static final class Section {
    final String name;
    final List<String[]> keys = new ArrayList<>();

    Section(String name) {
      this.name = name;
    }
  }

  private final List<Section> sections = new ArrayList<>();

  /** The settings of an INI file's bytes (UTF-8, or UTF-16 with a byte order mark). */
  static IniSettings parse(byte[] ini) throws PackException {
    IniSettings settings = new IniSettings();
    Section current = null;
    for (String line : IniText.embeddedText(ini).split("\r\n")) {
      if (line.startsWith("[")) {
        current = new Section(exactName(line.substring(1, line.length() - 1)));
        settings.sections.add(current);
      } else if (!line.isEmpty()) {
        // Keys before any section are never found by the launcher; keep them where they are.
        if (current == null) {
          current = new Section(null);
          settings.sections.add(current);
        }
        int equals = line.indexOf('=');
        current.keys.add(new String[] {exactName(line.substring(0, equals)), line.substring(equals + 1)});
      }
    }
    return settings;
  }

  private static boolean same(String a, String b) {
    return a != null && b != null && a.toLowerCase(Locale.ROOT).equals(b.toLowerCase(Locale.ROOT));
  }

  /** The value the launcher would read: the first key of that name in the first such section. */
  String get(String section, String key) {
    for (Section s : sections) {
      if (!same(s.name, section)) continue;
      for (String[] entry : s.keys) if (same(entry[0], key)) return entry[1];
      return null;
    }
    return null;
  }

  /** Sets the key; a null value leaves the settings as they are. */
  void set(String section, String key, String value) {
    if (value == null) return;
    for (Section s : sections) {
      if (!same(s.name, section)) continue;
      for (String[] entry : s.keys) {
        if (same(entry[0], key)) {
          entry[1] = value;
          return;
        }
      }
      s.keys.add(new String[] {key, value});
      return;
    }
    Section added = new Section(section);
    added.keys.add(new String[] {key, value});
    sections.add(added);
  }

  /** The file's text, each line ended by lineEnd. */
  String text(String lineEnd) {
    StringBuilder text = new StringBuilder();
    for (Section section : sections) {
      if (section.name != null) text.append('[').append(section.name).append(']').append(lineEnd);
      for (String[] entry : section.keys) text.append(entry[0]).append('=').append(entry[1]).append(lineEnd);
    }
    return text.toString();
  }
}
