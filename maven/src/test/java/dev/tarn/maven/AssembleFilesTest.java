package dev.tarn.maven;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

import java.io.File;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.time.Instant;
import java.util.Arrays;
import java.util.jar.JarFile;
import java.util.stream.Collectors;
import org.apache.maven.artifact.DefaultArtifact;
import org.apache.maven.artifact.handler.DefaultArtifactHandler;
import org.apache.maven.plugin.MojoFailureException;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

class AssembleFilesTest {
  @TempDir Path work;

  /**
   * The INI by the launcher's rule; in lib/ a name taken, its group-prefixed name taken too, one
   * taken but for case, and a folder as a jar.
   */
  @Test
  void namesOfTheFiles() throws Exception {
    assertEquals("my.ini", LauncherImage.LINUX_X64.iniName("my.app"));
    assertEquals("my.app.ini", LauncherImage.WINDOWS_X64.iniName("my.app"));
    assertThrows(MojoFailureException.class,
        () -> AbstractTarnMojo.checkName("tool.INI", Arrays.asList(LauncherImage.WINDOWS_X64, LauncherImage.LINUX_X64)));
    LibJars lib = new LibJars(Files.write(work.resolve("app-1.0.jar"), new byte[0]).toFile());
    assertEquals("g-app-1.0.jar", lib.freeName("g-app-1.0.jar", "x"));
    assertEquals("g-app-1.0-2.jar", lib.freeName("app-1.0.jar", "g"));
    assertEquals("g-App-1.0-3.jar", lib.freeName("App-1.0.jar", "g"));
    assertEquals("a_b_c_.jar", lib.freeName("a;b:c%.jar", "g"));

    Path classes = Files.createDirectories(work.resolve("module/classes/dev"));
    Files.write(classes.resolve("Util.class"), new byte[] {1, 2, 3});
    DefaultArtifact module = new DefaultArtifact("dev", "util", "1.0", "runtime", "jar", null,
        new DefaultArtifactHandler("jar"));
    module.setFile(classes.getParent().toFile());
    lib.add(module);
    assertEquals(Arrays.asList("app-1.0.jar", "util-1.0.jar"), lib.names());
    lib.writeTo(Files.createDirectories(work.resolve("lib")), Instant.parse("2026-01-01T00:00:00Z"));
    try (JarFile jar = new JarFile(work.resolve("lib/util-1.0.jar").toFile())) {
      assertEquals(Arrays.asList("dev/", "dev/Util.class"), jar.stream().map(e -> e.getName()).collect(Collectors.toList()));
    }
    module.setFile(new File(work.toFile(), "missing"));
    assertThrows(MojoFailureException.class, () -> lib.add(module));
  }

  /** A name at the top that sorts before "/" (the fetched runtimes' ".sha256"): its folder first. */
  @Test
  void aDotFileAtTheTop() throws Exception {
    Path runtime = Files.createDirectories(work.resolve("runtime/bin")).getParent();
    Files.write(runtime.resolve(".sha256"), new byte[] {1});
    FolderTree.read(runtime).copyTo(work.resolve("jre"));
    assertTrue(Files.isRegularFile(work.resolve("jre/.sha256")));
    assertTrue(Files.isDirectory(work.resolve("jre/bin")));
  }

  /** A link back to a folder that holds it (tests/maven follows a link to a folder past a broken one). */
  @Test
  void aLinkBackIsRefusedByName() throws Exception {
    Path legal = Files.createDirectories(work.resolve("runtime/legal"));
    Path loop = null;
    try {
      loop = Files.createSymbolicLink(legal.resolve("loop"), Paths.get(".."));
    } catch (IOException | UnsupportedOperationException e) {
      assumeTrue(false, "no links here: " + e);
    }
    FolderTree.Cycle cycle = assertThrows(FolderTree.Cycle.class, () -> FolderTree.read(legal.getParent()));
    assertTrue(cycle.getMessage().startsWith(loop + " is a link back to a folder that holds it"), cycle.getMessage());
  }
}
