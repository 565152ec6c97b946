package dev.tarn.maven;

import dev.tarn.pack.Identity;
import dev.tarn.pack.PackFiles;
import java.io.File;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.nio.file.attribute.PosixFilePermission;
import java.time.Instant;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import org.apache.maven.artifact.Artifact;
import org.apache.maven.execution.MavenSession;
import org.apache.maven.plugin.MojoExecutionException;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugins.annotations.Component;
import org.apache.maven.plugins.annotations.LifecyclePhase;
import org.apache.maven.plugins.annotations.Mojo;
import org.apache.maven.plugins.annotations.Parameter;
import org.apache.maven.plugins.annotations.ResolutionScope;
import org.apache.maven.toolchain.ToolchainManager;

/**
 * One folder ready to ship per launcher, and a zip of it: the launcher named after the
 * application, its INI beside it, the project's jar and its runtime dependencies in lib/, and
 * optionally a private runtime in jre/. In target/tarn/&lt;launcher&gt;/&lt;name&gt;-&lt;version&gt;/.
 */
@Mojo(name = "assemble", defaultPhase = LifecyclePhase.PACKAGE,
    requiresDependencyResolution = ResolutionScope.RUNTIME, threadSafe = true)
public class AssembleMojo extends AbstractTarnMojo {
  /** A Java runtime's folder for the launchers' system, copied in as the private runtime. */
  @Parameter(property = "tarn.runtime")
  File runtime;

  /** Links a runtime of the modules the program needs with jlink, as the private runtime. */
  @Parameter(property = "tarn.linkRuntime", defaultValue = "false")
  boolean linkRuntime;
  /** Modules linked beside those found; elements of any name, or separated by commas. */
  @Parameter(property = "tarn.addModules")
  List<String> addModules;
  @Parameter(property = "tarn.excludeModules")
  List<String> excludeModules;
  /** Exactly the modules to link, in place of those found. */
  @Parameter(property = "tarn.modules")
  List<String> modules;
  /** The JDK (with jmods/) per launcher id whose system is not the build JDK's. */
  @Parameter
  Map<String, String> runtimeJdks;
  /** Keeps the class-data archive for heaps of 32 GB and more. */
  @Parameter(property = "tarn.largeHeapArchive", defaultValue = "false")
  boolean largeHeapArchive;

  @Component
  ToolchainManager toolchainManager;
  @Parameter(defaultValue = "${session}", readonly = true)
  MavenSession session;

  /** What one launcher's folder holds, all checked before anything is written. */
  private static final class Plan {
    LauncherImage launcher;
    byte[] executable;
    byte[] ini;
  }

  @Override
  void run(List<LauncherImage> chosen) throws MojoExecutionException, MojoFailureException {
    File projectJar = projectJar();
    LibJars lib = new LibJars(projectJar);
    for (Artifact dependency : runtimeDependencies()) lib.add(dependency);
    for (LauncherImage launcher : chosen) {
      checkRuntime(launcher);
      String executable = launcher.executableName(name);
      for (String folder : new String[] {"lib", "jre"})
        if (executable.equalsIgnoreCase(folder))
          throw bad("name", "\"" + name + "\" makes the " + launcher.id + " executable " + executable
              + ", the name of the folder " + folder + "/ beside it; choose another name");
    }
    FolderTree runtimeTree = runtime == null ? null : runtimeTree();
    for (String skipped : lib.skipped()) getLog().warn("Left out: " + skipped);
    List<Plan> plans = new ArrayList<>();
    String minimum = null;
    for (LauncherImage launcher : chosen) {
      IniSettings settings = settings(projectJar);
      minimum = settings.get(IniSettings.RUNTIME, "Minimum Version");
      // Relative entries resolve against the executable's folder, wherever it is started from.
      StringBuilder classPath = new StringBuilder();
      for (String file : lib.names())
        classPath.append(classPath.length() > 0 ? ";" : "").append("lib").append(launcher.windows() ? '\\' : '/').append(file);
      String more = settings.get(IniSettings.CLASS_PATH, "Class Path");
      if (more != null && !more.isEmpty()) classPath.append(';').append(more);
      settings.set(IniSettings.CLASS_PATH, "Class Path", classPath.toString());
      if (settings.get(IniSettings.APPLICATION, "Override WorkingDir") == null)
        settings.set(IniSettings.APPLICATION, "Override WorkingDir", "Yes");
      Plan plan = new Plan();
      plan.launcher = launcher;
      plan.ini = settings.text(launcher.windows() ? "\r\n" : "\n").getBytes(StandardCharsets.UTF_8);
      Identity identity = identity(launcher, launcher.executableName(name));
      plan.executable = pack(launcher, new byte[0], null, null, identity);
      plans.add(plan);
    }
    LinkedRuntimes linking = linkRuntime ? linking(chosen, minimum) : null;
    Map<LauncherImage, byte[]> executables = new LinkedHashMap<>();
    for (Plan plan : plans) executables.put(plan.launcher, plan.executable);
    signWindows(executables);
    for (Plan plan : plans) plan.executable = executables.get(plan.launcher);
    Instant when = Timestamps.outputInstant(outputTimestamp);
    File scratch = new File(outputDirectory, ".tarn-link");
    try {
      Map<LauncherImage, FolderTree> linked = linking == null ? new LinkedHashMap<>()
          : linking.link(LinkedRuntimes.jars(projectJar, runtimeDependencies()), scratch, getLog());
      for (Plan plan : plans)
        write(plan, lib, linked.containsKey(plan.launcher) ? linked.get(plan.launcher) : runtimeTree, when);
    } finally {
      try {
        deleteTree(scratch.toPath());
      } catch (IOException e) {
        getLog().warn("Cannot remove " + scratch + ": " + PackFiles.describe(e));
      }
    }
  }

  private LinkedRuntimes linking(List<LauncherImage> chosen, String minimum) throws MojoFailureException {
    if (runtime != null)
      throw bad("linkRuntime", "and <runtime> both fill jre/; leave out one of them");
    LinkedRuntimes linking = new LinkedRuntimes(this);
    linking.check(chosen, minimum);
    return linking;
  }

  /** The runtime's files, read once before anything is written. */
  private FolderTree runtimeTree() throws MojoExecutionException, MojoFailureException {
    FolderTree tree;
    try {
      tree = FolderTree.read(runtime.toPath());
    } catch (FolderTree.Cycle e) {
      throw bad("runtime", e.getMessage() + "; remove the link or name a runtime without it");
    } catch (IOException e) {
      throw new MojoExecutionException("Cannot read the runtime " + runtime + ": " + PackFiles.describe(e), e);
    }
    for (String skipped : tree.skipped) getLog().warn("Left out of the runtime: " + skipped);
    return tree;
  }

  private void checkRuntime(LauncherImage launcher) throws MojoFailureException {
    if (runtime == null) return;
    if (!runtime.isDirectory())
      throw bad("runtime", runtime + " is no folder; name the folder of a Java runtime (holding bin/ and lib/)");
    String[] libraries = launcher.windows() ? new String[] {"bin/java.dll"}
        : new String[] {"lib/libjava.so", "lib/amd64/libjava.so"};
    for (String library : libraries) if (new File(runtime, library).isFile()) return;
    throw bad("runtime", runtime + " holds no " + libraries[0] + ", so it is no Java runtime for "
        + launcher.id + "; name the folder of a runtime for that system");
  }

  private void write(Plan plan, LibJars lib, FolderTree runtimeTree, Instant when) throws MojoExecutionException {
    LauncherImage launcher = plan.launcher;
    String folderName = folderName();
    Path parent = outputFolder(launcher).toPath();
    Path folder = folder(launcher);
    Path zip = zip(launcher);
    // Built beside their places and moved there when whole.
    Path staging = parent.resolve(".tarn-assemble-" + folderName);
    Path zipStaging = parent.resolve(".tarn-assemble-" + folderName + ".zip");
    String executable = launcher.executableName(name);
    try {
      deleteTree(staging);
      Files.deleteIfExists(zipStaging);
      Files.createDirectories(staging.resolve("lib"));
      Files.write(staging.resolve(executable), plan.executable);
      if (!staging.resolve(executable).toFile().setExecutable(true, false))
        throw new IOException(executable + " cannot be made executable");
      Files.write(staging.resolve(launcher.iniName(name)), plan.ini);
      lib.writeTo(staging.resolve("lib"), when);
      if (runtimeTree != null) runtimeTree.copyTo(staging.resolve("jre"));
      try (ZipWriter out = new ZipWriter(Files.newOutputStream(zipStaging), when)) {
        FolderTree.read(staging).zip(out, folderName, (relative, file) -> isExecutable(file, relative, executable));
      }
      deleteTree(folder);
      Files.move(staging, folder, StandardCopyOption.ATOMIC_MOVE);
      Files.move(zipStaging, zip, StandardCopyOption.ATOMIC_MOVE, StandardCopyOption.REPLACE_EXISTING);
    } catch (IOException e) {
      try {
        deleteTree(staging);
        Files.deleteIfExists(zipStaging);
      } catch (IOException ignored) {
        // the staging names say what they are
      }
      throw new MojoExecutionException("Cannot write " + folder + ": " + PackFiles.describe(e), e);
    }
    getLog().info("Assembled " + folder + " and " + zip.getFileName());
    attach(zip.toFile(), "zip", launcher);
  }

  @Override
  boolean removeOutputs(LauncherImage launcher) throws IOException {
    boolean folder = Files.exists(folder(launcher), LinkOption.NOFOLLOW_LINKS);
    deleteTree(folder(launcher));
    return Files.deleteIfExists(zip(launcher)) || folder;
  }

  private String folderName() {
    return name + "-" + project.getVersion();
  }

  private Path folder(LauncherImage launcher) {
    return outputFolder(launcher).toPath().resolve(folderName());
  }

  private Path zip(LauncherImage launcher) {
    return outputFolder(launcher).toPath().resolve(folderName() + "-" + launcher.id + ".zip");
  }

  private static void deleteTree(Path tree) throws IOException {
    if (!Files.exists(tree, LinkOption.NOFOLLOW_LINKS)) return;
    try (Stream<Path> files = Files.walk(tree)) {
      List<Path> all = files.collect(Collectors.toList());
      for (int i = all.size() - 1; i >= 0; --i) Files.delete(all.get(i));
    }
  }

  /** By its mode where the system keeps one, else by the runtime's own layout. */
  private static boolean isExecutable(Path file, String relative, String launcher) throws IOException {
    if (relative.equals(launcher)) return true;
    try {
      Set<PosixFilePermission> mode = Files.getPosixFilePermissions(file);
      return mode.contains(PosixFilePermission.OWNER_EXECUTE);
    } catch (UnsupportedOperationException e) {
      return relative.startsWith("jre/bin/") || relative.endsWith("/jspawnhelper");
    }
  }
}
