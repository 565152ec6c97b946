package dev.tarn.maven;

import dev.tarn.pack.IniText;
import dev.tarn.pack.PackException;
import dev.tarn.pack.SettingNames;
import java.util.ArrayList;
import java.util.List;

/**
 * A configuration as sections of keys, in the order they were first set: an INI file's lines
 * as the launcher reads them, then the pom's values in place of the file's. The names the
 * launcher reads come from the file in its spelling, so they match exactly.
 */
final class IniSettings {
  static final String RUNTIME = SettingNames.RUNTIME;
  static final String APPLICATION = SettingNames.APPLICATION;
  static final String CLASS_PATH = SettingNames.CLASS_PATH;
  static final String PRODUCT = SettingNames.PRODUCT;

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
        current = new Section(line.substring(1, line.length() - 1));
        settings.sections.add(current);
      } else if (!line.isEmpty()) {
        // Keys before any section are never found by the launcher; keep them where they are.
        if (current == null) {
          current = new Section(null);
          settings.sections.add(current);
        }
        int equals = line.indexOf('=');
        current.keys.add(new String[] {line.substring(0, equals), line.substring(equals + 1)});
      }
    }
    return settings;
  }

  /** The value the launcher would read: the first key of that name in the first such section. */
  String get(String section, String key) {
    for (Section s : sections) {
      if (!section.equals(s.name)) continue;
      for (String[] entry : s.keys) if (entry[0].equals(key)) return entry[1];
      return null;
    }
    return null;
  }

  /** Sets the key; a null value leaves the settings as they are. */
  void set(String section, String key, String value) {
    if (value == null) return;
    for (Section s : sections) {
      if (!section.equals(s.name)) continue;
      for (String[] entry : s.keys) {
        if (entry[0].equals(key)) {
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
