package dev.tarn.maven;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;
import java.util.Set;
import java.util.TreeSet;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * Which modules a linked runtime holds: what jdeps finds in the program's jars, the modules
 * programs reach only through services or by name, and the project's own additions and
 * exclusions; or exactly the project's list.
 */
final class ModuleRules {
  /**
   * Loaded through a service or by name, so jdeps never sees them, and missed only at run time:
   * TLS with elliptic curves (the usual case) fails without jdk.crypto.ec up to Java 21 (later
   * it is part of java.base), a zip or jar opened as a file system without jdk.zipfs, and a text
   * in most encodings beyond UTF-8, ISO-8859-1 and the Windows code pages without jdk.charsets.
   * jdk.localedata (about 10 MB: dates, numbers and names in languages other than English) only
   * when the project names it.
   */
  static final List<String> SERVICE_MODULES = Collections.unmodifiableList(
      Arrays.asList("jdk.crypto.ec", "jdk.zipfs", "jdk.charsets"));

  private static final Pattern MODULE = Pattern.compile("[A-Za-z_$][A-Za-z0-9_$]*(\\.[A-Za-z_$][A-Za-z0-9_$]*)*");
  private static final Pattern SUMMARY = Pattern.compile("^(\\S.*?) -> (\\S.*)$");
  private static final Pattern NOT_FOUND = Pattern.compile("^\\s+(\\S+)\\s+->\\s+(\\S+)\\s+not found\\s*$");

  private ModuleRules() {}

  /** What jdeps -verbose:package says: the modules used, and the packages found nowhere. */
  static final class Findings {
    final Set<String> modules = new TreeSet<>();
    final Set<String> missing = new TreeSet<>();
  }

  static Findings readJdeps(List<String> lines) {
    Findings findings = new Findings();
    for (String line : lines) {
      Matcher notFound = NOT_FOUND.matcher(line);
      if (notFound.matches()) {
        findings.missing.add(notFound.group(2));
        continue;
      }
      Matcher summary = SUMMARY.matcher(line);
      if (!summary.matches()) continue;
      // Beside modules the summary names other jars (paths) and "not found".
      String target = summary.group(2).trim();
      if (MODULE.matcher(target).matches() && !target.endsWith(".jar")) findings.modules.add(target);
    }
    return findings;
  }

  /** Entries of a list parameter, each of which may itself hold several separated by commas. */
  static List<String> names(List<String> parameter) {
    List<String> names = new ArrayList<>();
    if (parameter == null) return names;
    for (String entry : parameter)
      if (entry != null)
        for (String name : entry.split(",")) if (!name.trim().isEmpty()) names.add(name.trim());
    return names;
  }

  /** A name that is no module name; null when all are. */
  static String badName(List<String> names) {
    for (String name : names) if (!MODULE.matcher(name).matches()) return name;
    return null;
  }

  /**
   * The modules to link, sorted. available: what the JDK holds (null: unknown, then nothing is
   * left out for its lack). replacement: the project's whole list, when it gives one.
   */
  static Set<String> choose(Set<String> found, List<String> add, List<String> exclude, List<String> replacement,
      Set<String> available) {
    Set<String> chosen = new TreeSet<>();
    if (!replacement.isEmpty()) {
      chosen.addAll(replacement);
      return chosen;
    }
    chosen.addAll(found);
    for (String module : SERVICE_MODULES) if (available == null || available.contains(module)) chosen.add(module);
    chosen.addAll(add);
    chosen.removeAll(exclude);
    // Every runtime needs it; jlink would add it anyway.
    chosen.add("java.base");
    return chosen;
  }

  /** The first of the modules the JDK lacks; null when it holds all, or when that is unknown. */
  static String lacking(Set<String> modules, Set<String> available) {
    if (available == null) return null;
    for (String module : modules) if (!available.contains(module)) return module;
    return null;
  }
}
