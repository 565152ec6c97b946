package dev.tarn.maven;

import java.io.BufferedReader;
import java.io.File;
import java.io.IOException;
import java.io.InputStreamReader;
import java.nio.charset.Charset;
import java.util.ArrayList;
import java.util.List;
import java.util.Set;
import org.apache.maven.plugin.MojoExecutionException;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugin.logging.Log;

/**
 * Links a launcher's private runtime with jlink: the modules from the JDK for the launcher's
 * system, linked by that JDK's own jlink on its own system, or by the build's JDK (one of the
 * same version) from the other system's jmods/.
 */
final class RuntimeLinker {
  /** Where a JDK came from, for messages: the parameter at fault and how the JDK is named. */
  static final class Source {
    final String parameter;
    final String named;

    Source(String parameter, String named) {
      this.parameter = parameter;
      this.named = named;
    }
  }

  /** One link, checked: the JDK of the modules, the JDK whose jlink runs, and how. */
  static final class Link {
    JdkRelease target;
    JdkRelease linker;
    boolean ownSystem;
    boolean fromJmods;
  }

  private RuntimeLinker() {}

  static String tool(File home, String name) {
    boolean windows = System.getProperty("os.name", "").startsWith("Windows");
    return new File(new File(home, "bin"), windows ? name + ".exe" : name).getPath();
  }

  /**
   * Refuses, naming the folder and what is wrong: a JDK of another system or an older version
   * than the launchers accept, a build JDK without jlink, a cross link whose jlink is of another
   * version than the modules, and a JDK that cannot link for another system (no jmods/).
   */
  static Link check(LauncherImage launcher, JdkRelease target, Source targetSource, JdkRelease build,
      Source buildSource, String minimumVersion, String buildSystem) throws MojoFailureException {
    if (target == null)
      throw AbstractTarnMojo.bad(targetSource.parameter, targetSource.named + " holds no release file, so it is no"
          + " JDK; name a JDK's folder (holding release, bin/ and jmods/)");
    String refusal = target.refusal(launcher, minimumVersion);
    if (refusal != null) throw AbstractTarnMojo.bad(targetSource.parameter, targetSource.named + " " + refusal);
    Link link = new Link();
    link.target = target;
    link.ownSystem = target.system().equalsIgnoreCase(buildSystem);
    boolean ownJlink = link.ownSystem && new File(tool(target.home, "jlink")).isFile();
    link.linker = ownJlink ? target : build;
    link.fromJmods = target.hasJmods();
    if (link.linker == null || !new File(tool(link.linker.home, "jlink")).isFile())
      throw AbstractTarnMojo.bad(buildSource.parameter, buildSource.named + " has no bin/jlink; run Maven on a JDK"
          + " of Java 11 or later, or configure a JDK toolchain");
    if (link.linker != target) {
      if (!link.fromJmods)
        throw AbstractTarnMojo.bad(targetSource.parameter, targetSource.named + " has no jmods/, so it cannot link"
            + " a runtime for another system than its own; download the " + JdkRelease.systemOf(launcher)
            + " JDK's archive (.zip or .tar.gz) of a build that still ships jmods/, and name its folder");
      int[] modules = JdkRelease.versionParts(target.version());
      int[] jlink = JdkRelease.versionParts(link.linker.version());
      if (modules.length == 0 || jlink.length == 0 || link.linker.feature() != target.feature()
          || (modules.length > 1 ? modules[1] : 0) != (jlink.length > 1 ? jlink[1] : 0))
        throw AbstractTarnMojo.bad(targetSource.parameter, targetSource.named + " holds the modules of Java "
            + target.version() + ", but the jlink of " + buildSource.named + " is Java " + link.linker.version()
            + "; jlink links only modules of its own version: run Maven on a JDK " + target.feature()
            + " or configure a JDK toolchain of that version");
    } else if (!link.fromJmods && target.feature() < 24) {
      throw AbstractTarnMojo.bad(targetSource.parameter, targetSource.named + " has no jmods/, and Java "
          + target.version() + " links only from them; install the JDK's jmods (a separate package on some"
          + " systems)");
    }
    return link;
  }

  /** What jdeps finds in the jars, at the modules' version; missing classes are only named. */
  static Set<String> findModules(Link link, List<File> jars, Log log) throws MojoExecutionException {
    String jdeps = tool(link.linker.home, "jdeps");
    if (!new File(jdeps).isFile())
      throw new MojoExecutionException(link.linker.home + " has no bin/jdeps to find the modules the program"
          + " needs; name them in <modules>");
    List<String> command = new ArrayList<>();
    command.add(jdeps);
    command.add("--multi-release");
    command.add(String.valueOf(link.target.feature()));
    command.add("-verbose:package");
    for (File jar : jars) command.add(jar.getPath());
    List<String> output = new ArrayList<>();
    if (run(command, output) != 0)
      throw new MojoExecutionException("jdeps failed on the program's jars: " + tail(output)
          + "\nName the modules in <modules> to link without it");
    ModuleRules.Findings findings = ModuleRules.readJdeps(output);
    if (!findings.missing.isEmpty())
      log.warn("jdeps found no class of these packages in the jars: " + String.join(", ", findings.missing)
          + ". Linked without them; a module of the JDK among them belongs in <addModules>");
    return findings.modules;
  }

  /** The jlink command line, as the build log prints it. */
  static List<String> command(Link link, Set<String> modules, File output) {
    List<String> command = new ArrayList<>();
    command.add(tool(link.linker.home, "jlink"));
    if (link.fromJmods) {
      command.add("--module-path");
      command.add(new File(link.target.home, "jmods").getPath());
    }
    command.add("--add-modules");
    command.add(String.join(",", modules));
    command.add("--strip-debug");
    command.add("--no-header-files");
    command.add("--no-man-pages");
    // zip-0 to zip-9 from 21 on; before, 2 was the strongest (zip).
    command.add(link.linker.feature() >= 21 ? "--compress=zip-9" : "--compress=2");
    List<String> plugins = new ArrayList<>();
    run(pluginListing(link), plugins);
    String listed = String.join("\n", plugins);
    // objcopy knows the ELF files of Linux; the plugin exists only in Linux JDKs.
    if (link.target.osName().equals("Linux") && listed.contains("--strip-native-debug-symbols")) {
      String objcopy = onPath("objcopy");
      command.add("--strip-native-debug-symbols=" + (objcopy != null ? "objcopy=" + objcopy : "exclude-debuginfo-files"));
    }
    // The archive is made by running the linked runtime: only on its own system.
    if (link.ownSystem && listed.contains("--generate-cds-archive")) command.add("--generate-cds-archive");
    command.add("--output");
    command.add(output.getPath());
    return command;
  }

  private static List<String> pluginListing(Link link) {
    List<String> command = new ArrayList<>();
    command.add(tool(link.linker.home, "jlink"));
    command.add("--list-plugins");
    return command;
  }

  /** Runs jlink; drops the archive for heaps of 32 GB and more unless it is wanted. */
  static void link(List<String> command, File output, boolean largeHeapArchive, Log log)
      throws MojoExecutionException {
    List<String> lines = new ArrayList<>();
    if (run(command, lines) != 0)
      throw new MojoExecutionException("jlink failed: " + tail(lines));
    for (String line : lines) log.debug(line);
    if (!largeHeapArchive) {
      for (String folder : new String[] {"lib/server", "bin/server"}) {
        File archive = new File(output, folder + "/classes_nocoops.jsa");
        if (archive.isFile() && !archive.delete())
          throw new MojoExecutionException("Cannot remove " + archive);
      }
    }
  }

  /** The command's exit code, its output (both streams) in lines; -1 when it cannot start. */
  static int run(List<String> command, List<String> output) {
    try {
      Process process = new ProcessBuilder(command).redirectErrorStream(true).start();
      process.getOutputStream().close();
      try (BufferedReader in = new BufferedReader(new InputStreamReader(process.getInputStream(),
          Charset.defaultCharset()))) {
        for (String line; (line = in.readLine()) != null; ) output.add(line);
      }
      return process.waitFor();
    } catch (IOException e) {
      output.add(command.get(0) + " cannot be started: " + e.getMessage());
      return -1;
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
      output.add(command.get(0) + " was interrupted");
      return -1;
    }
  }

  private static String tail(List<String> lines) {
    int from = Math.max(0, lines.size() - 20);
    return String.join("\n", lines.subList(from, lines.size()));
  }

  private static String onPath(String program) {
    String path = System.getenv("PATH");
    if (path == null) return null;
    for (String folder : path.split(File.pathSeparator)) {
      File file = new File(folder, program);
      if (!folder.isEmpty() && file.isFile() && file.canExecute()) return file.getPath();
    }
    return null;
  }

  /** The bytes of the files below a folder. */
  static long size(File folder) {
    File[] files = folder.listFiles();
    if (files == null) return folder.length();
    long size = 0;
    for (File file : files) size += file.isDirectory() ? size(file) : file.length();
    return size;
  }
}
