package dev.tarn.maven;

import dev.tarn.pack.PackException;
import dev.tarn.pack.PackFiles;
import java.io.File;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import org.apache.maven.artifact.Artifact;
import org.apache.maven.plugin.MojoExecutionException;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugins.annotations.LifecyclePhase;
import org.apache.maven.plugins.annotations.Mojo;
import org.apache.maven.plugins.annotations.Parameter;
import org.apache.maven.plugins.annotations.ResolutionScope;

/**
 * One single-file executable per launcher: the launcher, its configuration and the jar, in
 * target/tarn/&lt;launcher&gt;/&lt;name&gt;[.exe].
 */
@Mojo(name = "pack", defaultPhase = LifecyclePhase.PACKAGE,
    requiresDependencyResolution = ResolutionScope.RUNTIME, threadSafe = true)
public class PackMojo extends AbstractTarnMojo {
  /** The jar to embed, such as a shaded one; default: the project's jar. */
  @Parameter(property = "tarn.jar")
  File jar;

  @Override
  void run(List<LauncherImage> chosen) throws MojoExecutionException, MojoFailureException {
    File embedded = jar;
    if (embedded == null) {
      List<Artifact> dependencies = runtimeDependencies();
      if (!dependencies.isEmpty()) {
        List<String> names = new ArrayList<>();
        for (Artifact dependency : dependencies) names.add(dependency.getFile().getName());
        throw bad("jar", "is not set, and the project's jar lacks its runtime dependencies " + names
            + ", which one executable cannot carry beside it: name a jar that holds them with <jar>"
            + " (a shaded jar), or use the goal assemble, which ships them in lib/");
      }
      embedded = projectJar();
    }
    byte[] jarBytes;
    try {
      jarBytes = PackFiles.read(embedded.getPath());
    } catch (PackException e) {
      throw bad("jar", e.getMessage());
    }
    IniSettings settings = settings(embedded);
    // The executable carries the jar: an INI that turns it off would make it dead weight.
    String embeddedJar = settings.get(IniSettings.APPLICATION, "Embedded Jar");
    if (embeddedJar != null && !embeddedJar.isEmpty() && !embeddedJar.equalsIgnoreCase("Yes"))
      throw bad("iniFile", "sets \"Embedded Jar=" + embeddedJar + "\", but pack puts the jar into the"
          + " executable for the program to run from; leave the key out or use the goal assemble");
    settings.set(IniSettings.APPLICATION, "Embedded Jar", "Yes");
    byte[] ini = settings.text("\r\n").getBytes(StandardCharsets.UTF_8);

    // Everything is checked and packed before the first file is written.
    Map<LauncherImage, byte[]> packed = new LinkedHashMap<>();
    for (LauncherImage launcher : chosen)
      packed.put(launcher, pack(launcher, ini, embedded, jarBytes, identity(launcher, launcher.executableName(name))));
    signWindows(packed);
    for (Map.Entry<LauncherImage, byte[]> entry : packed.entrySet()) {
      LauncherImage launcher = entry.getKey();
      File output = output(launcher);
      try {
        PackFiles.replaceFile(output.getPath(), entry.getValue(), null);
      } catch (PackException e) {
        throw new MojoExecutionException(e.getMessage());
      }
      getLog().info("Packed " + output);
      attach(output, launcher.windows() ? "exe" : "bin", launcher);
    }
  }

  @Override
  boolean removeOutputs(LauncherImage launcher) throws IOException {
    return Files.deleteIfExists(output(launcher).toPath());
  }

  private File output(LauncherImage launcher) {
    return new File(outputFolder(launcher), launcher.executableName(name));
  }
}
