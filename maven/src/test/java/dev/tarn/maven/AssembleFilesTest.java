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
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;
import java.util.jar.JarFile;
import java.util.stream.Collectors;
import org.apache.maven.artifact.DefaultArtifact;
import org.apache.maven.artifact.handler.DefaultArtifactHandler;
import org.apache.maven.plugin.MojoFailureException;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

class AssembleFilesTest {
  @TempDir Path work;

  @Test
  void theIniIsNamedAsTheLauncherReadsIt() {
    assertEquals("my.ini", LauncherImage.LINUX_X64.iniName("my.app"));
    assertEquals("my.app.ini", LauncherImage.WINDOWS_X64.iniName("my.app"));
    assertEquals("greeter.ini", LauncherImage.LINUX_X64.iniName("greeter"));
    assertThrows(MojoFailureException.class,
        () -> AbstractTarnMojo.checkName("tool.INI", Arrays.asList(LauncherImage.WINDOWS_X64, LauncherImage.LINUX_X64)));
  }

  /** A name taken, its group-prefixed name taken too, and one taken but for case. */
  @Test
  void everyJarGetsANameOfItsOwn() {
    LibJars lib = new LibJars(new File("app-1.0.jar"));
    assertEquals("g-app-1.0.jar", lib.freeName("g-app-1.0.jar", "x"));
    assertEquals("g-app-1.0-2.jar", lib.freeName("app-1.0.jar", "g"));
    assertEquals("g-App-1.0-3.jar", lib.freeName("App-1.0.jar", "g"));
    assertEquals("a_b_c_.jar", lib.freeName("a;b:c%.jar", "g"));
  }

  /** Links to folders followed, a broken link left out and named, a cycle refused by name. */
  @Test
  void aFolderWithLinks() throws Exception {
    Path elsewhere = Files.createDirectories(work.resolve("elsewhere/legal"));
    Files.write(elsewhere.resolve("LICENSE"), "text".getBytes());
    Path runtime = Files.createDirectories(work.resolve("runtime/lib"));
    try {
      Files.createSymbolicLink(runtime.resolveSibling("legal"), elsewhere);
    } catch (IOException | UnsupportedOperationException e) {
      assumeTrue(false, "no links here: " + e);
    }
    Files.createSymbolicLink(runtime.resolve("src.zip"), Paths.get("missing.zip"));
    FolderTree tree = FolderTree.read(work.resolve("runtime"));
    assertEquals(Collections.singletonList(runtime.resolve("src.zip") + ": a link to missing.zip, which does not exist"),
        tree.skipped);
    tree.copyTo(work.resolve("copy"));
    assertEquals("text", new String(Files.readAllBytes(work.resolve("copy/legal/LICENSE"))));
    assertTrue(Files.isDirectory(work.resolve("copy/lib")));

    Path loop = runtime.resolve("loop");
    Files.createSymbolicLink(loop, Paths.get(".."));
    FolderTree.Cycle cycle = assertThrows(FolderTree.Cycle.class, () -> FolderTree.read(work.resolve("runtime")));
    assertTrue(cycle.getMessage().startsWith(loop + " is a link back to a folder that holds it"), cycle.getMessage());
  }

  /** A reactor module's classes folder goes into lib/ as a jar named as Maven names its jar. */
  @Test
  void aFolderDependencyIsPackedAsAJar() throws Exception {
    Path classes = Files.createDirectories(work.resolve("module/target/classes/dev/util"));
    Files.write(classes.resolve("Util.class"), new byte[] {1, 2, 3});
    DefaultArtifact module = new DefaultArtifact("dev", "util", "1.0", "runtime", "jar", null,
        new DefaultArtifactHandler("jar"));
    module.setFile(work.resolve("module/target/classes").toFile());
    Path app = Files.write(work.resolve("app-1.0.jar"), new byte[0]);
    LibJars lib = new LibJars(app.toFile());
    lib.add(module);
    assertEquals(Arrays.asList("app-1.0.jar", "util-1.0.jar"), names(lib));
    Path out = Files.createDirectories(work.resolve("lib"));
    lib.writeTo(out, Instant.parse("2026-01-01T00:00:00Z"));
    try (JarFile jar = new JarFile(out.resolve("util-1.0.jar").toFile())) {
      assertEquals(Arrays.asList("dev/", "dev/util/", "dev/util/Util.class"),
          jar.stream().map(e -> e.getName()).collect(Collectors.toList()));
    }

    module.setFile(work.resolve("module/target/missing").toFile());
    MojoFailureException refused = assertThrows(MojoFailureException.class, () -> lib.add(module));
    assertTrue(refused.getMessage().startsWith("The dependency dev:util:jar:1.0: "), refused.getMessage());
  }

  private static List<String> names(LibJars lib) {
    List<String> names = new ArrayList<>();
    for (String name : lib.names()) names.add(name);
    return names;
  }
}
