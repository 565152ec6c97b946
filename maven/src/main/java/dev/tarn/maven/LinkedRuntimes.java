package dev.tarn.maven;

import dev.tarn.pack.PackFiles;
import java.io.File;
import java.io.IOException;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.TreeSet;
import org.apache.maven.artifact.Artifact;
import org.apache.maven.plugin.MojoExecutionException;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugin.logging.Log;
import org.apache.maven.toolchain.Toolchain;

/**
 * The runtimes assemble links: every JDK checked before anything is written, then one link per
 * JDK (a console and a windowed launcher of one system share it), in a scratch folder that goes
 * when the build ends, whatever happens.
 */
final class LinkedRuntimes {
  private final List<String> addModules;
  private final List<String> excludeModules;
  private final List<String> modules;
  /** A JDK's folder per launcher id, for launchers of another system than the build JDK's. */
  private final Map<String, String> runtimeJdks;
  private final File baseDirectory;
  private final boolean largeHeapArchive;
  /** The JDK whose jlink links for other systems and whose modules serve its own. */
  private final File buildJdk;
  private final String buildJdkNamed;

  /** The goal's parameters; the build JDK is a configured toolchain's, else the one Maven runs on. */
  LinkedRuntimes(AssembleMojo goal) {
    addModules = goal.addModules;
    excludeModules = goal.excludeModules;
    modules = goal.modules;
    runtimeJdks = goal.runtimeJdks;
    baseDirectory = goal.project.getBasedir();
    largeHeapArchive = goal.largeHeapArchive;
    Toolchain toolchain = goal.toolchainManager == null || goal.session == null ? null
        : goal.toolchainManager.getToolchainFromBuildContext("jdk", goal.session);
    String java = toolchain == null ? null : toolchain.findTool("java");
    if (java != null) {
      buildJdk = new File(java).getAbsoluteFile().getParentFile().getParentFile();
      buildJdkNamed = "the toolchain's JDK " + buildJdk;
    } else {
      buildJdk = new File(System.getProperty("java.home"));
      buildJdkNamed = "the JDK that runs Maven, " + buildJdk + ",";
    }
  }

  private final Map<LauncherImage, RuntimeLinker.Link> links = new LinkedHashMap<>();
  private final Map<String, FolderTree> linked = new LinkedHashMap<>();

  /** Checks every JDK and the module names; refuses before anything runs. */
  void check(List<LauncherImage> launchers, String minimumVersion) throws MojoFailureException {
    for (String list : new String[] {"addModules", "excludeModules", "modules"}) {
      String bad = ModuleRules.badName(ModuleRules.names(list(list)));
      if (bad != null) throw AbstractTarnMojo.bad(list, "\"" + bad + "\" is no module name, such as java.sql");
    }
    Map<String, String> folders = runtimeJdks == null ? new LinkedHashMap<>() : runtimeJdks;
    for (String id : folders.keySet())
      if (LauncherImage.byId(id) == null)
        throw AbstractTarnMojo.bad("runtimeJdks", "names no launcher \"" + id + "\"; use " + LauncherImage.ids());
    JdkRelease build = read(buildJdk, "linkRuntime", buildJdkNamed);
    RuntimeLinker.Source buildSource = new RuntimeLinker.Source("linkRuntime", buildJdkNamed);
    for (LauncherImage launcher : launchers) {
      String folder = folderFor(launcher, folders);
      JdkRelease target = build;
      RuntimeLinker.Source source = buildSource;
      if (folder != null) {
        File home = new File(folder).isAbsolute() ? new File(folder) : new File(baseDirectory, folder);
        source = new RuntimeLinker.Source("runtimeJdks", home.getPath());
        if (!home.isDirectory())
          throw AbstractTarnMojo.bad("runtimeJdks", home + " is no folder; name the folder of a JDK for "
              + JdkRelease.systemOf(launcher));
        target = read(home, "runtimeJdks", home.getPath());
      } else if (build != null && !build.isFor(launcher)) {
        throw AbstractTarnMojo.bad("runtimeJdks", "names no JDK for " + launcher.id + ", and " + buildJdkNamed
            + " is for " + build.system() + "; add <" + launcher.id + "> with the folder of a JDK for "
            + JdkRelease.systemOf(launcher));
      }
      for (String list : new String[] {"addModules", "modules"}) {
        String lacking = ModuleRules.lacking(new TreeSet<>(ModuleRules.names(list(list))), target == null
            ? null : target.modules());
        if (lacking != null)
          throw AbstractTarnMojo.bad(list, "names " + lacking + ", a module that " + source.named + " lacks");
      }
      links.put(launcher, RuntimeLinker.check(launcher, target, source, build, buildSource, minimumVersion,
          JdkRelease.buildSystem()));
    }
  }

  /** Links each checked JDK's runtime once into scratch/; the runtime's files per launcher. */
  Map<LauncherImage, FolderTree> link(List<File> jars, File scratch, Log log) throws MojoExecutionException {
    Map<LauncherImage, FolderTree> runtimes = new LinkedHashMap<>();
    for (Map.Entry<LauncherImage, RuntimeLinker.Link> entry : links.entrySet()) {
      RuntimeLinker.Link link = entry.getValue();
      String key = link.target.home.getAbsolutePath();
      if (!linked.containsKey(key)) {
        File output = new File(scratch, "jre-" + linked.size());
        Set<String> found = ModuleRules.names(modules).isEmpty()
            ? RuntimeLinker.findModules(link, jars, log) : new TreeSet<String>();
        Set<String> chosen = ModuleRules.choose(found, ModuleRules.names(addModules),
            ModuleRules.names(excludeModules), ModuleRules.names(modules), link.target.modules());
        String lacking = ModuleRules.lacking(chosen, link.target.modules());
        if (lacking != null)
          throw new MojoExecutionException("The program needs the module " + lacking + ", which the JDK "
              + link.target.home + " lacks; name a JDK that has it, or add it to <excludeModules>");
        List<String> command = RuntimeLinker.command(link, chosen, output);
        log.info("Linking the runtime for " + entry.getKey().id + " from " + link.target.home + ": "
            + String.join(" ", command));
        RuntimeLinker.link(command, output, largeHeapArchive, log);
        log.info("Linked " + (RuntimeLinker.size(output) + 512 * 1024) / (1024 * 1024) + " MB: "
            + String.join(", ", chosen));
        try {
          linked.put(key, FolderTree.read(output.toPath()));
        } catch (IOException e) {
          throw new MojoExecutionException("Cannot read the linked runtime " + output + ": " + PackFiles.describe(e), e);
        }
      }
      runtimes.put(entry.getKey(), linked.get(key));
    }
    return runtimes;
  }

  private List<String> list(String name) {
    return name.equals("addModules") ? addModules : name.equals("excludeModules") ? excludeModules : modules;
  }

  /** The launcher's own entry, else that of the other launcher of its system. */
  private static String folderFor(LauncherImage launcher, Map<String, String> folders) {
    String own = folders.get(launcher.id);
    if (own != null && !own.trim().isEmpty()) return own.trim();
    for (Map.Entry<String, String> entry : folders.entrySet()) {
      LauncherImage other = LauncherImage.byId(entry.getKey());
      if (other != null && JdkRelease.systemOf(other).equals(JdkRelease.systemOf(launcher))
          && entry.getValue() != null && !entry.getValue().trim().isEmpty())
        return entry.getValue().trim();
    }
    return null;
  }

  private static JdkRelease read(File home, String parameter, String named) throws MojoFailureException {
    try {
      return home == null ? null : JdkRelease.read(home);
    } catch (IOException e) {
      throw AbstractTarnMojo.bad(parameter, named + ": its release file cannot be read: " + e.getMessage());
    }
  }

  /** What jdeps reads: the project's jar and its dependencies' jars or folders of classes. */
  static List<File> jars(File projectJar, List<Artifact> dependencies) {
    List<File> jars = new ArrayList<>();
    jars.add(projectJar);
    for (Artifact dependency : dependencies) jars.add(dependency.getFile());
    return jars;
  }
}
