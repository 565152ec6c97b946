package dev.tarn.maven;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.File;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.Collections;
import java.util.TreeSet;
import org.apache.maven.plugin.MojoFailureException;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

class LinkRulesTest {
  @TempDir Path folder;

  @Test
  void modulesFromJdepsTheServicesAndTheProjectsLists() {
    ModuleRules.Findings found = ModuleRules.readJdeps(Arrays.asList(
        "app.jar -> java.base", "app.jar -> /m2/lib.jar", "app.jar -> not found", "lib.jar -> java.sql",
        "lib.jar -> jdk.unsupported", "   com.app -> org.gone   not found", "   com.app -> java.io   java.base",
        "Warning: split package: a.b lib.jar app.jar"));
    assertEquals(new TreeSet<>(Arrays.asList("java.base", "java.sql", "jdk.unsupported")), found.modules);
    assertEquals(Collections.singleton("org.gone"), found.missing);

    // A JDK from 22 on may lack jdk.crypto.ec: only what it holds is added.
    TreeSet<String> jdk = new TreeSet<>(Arrays.asList("java.base", "java.sql", "java.desktop", "jdk.zipfs",
        "jdk.charsets", "jdk.unsupported", "jdk.localedata"));
    assertEquals("[java.base, java.desktop, java.sql, jdk.charsets, jdk.localedata, jdk.unsupported]",
        ModuleRules.choose(found.modules, ModuleRules.names(Arrays.asList("jdk.localedata, java.desktop")),
            Arrays.asList("jdk.zipfs", "java.base"), Collections.<String>emptyList(), jdk).toString());
    assertEquals("[java.base, java.logging]", ModuleRules.choose(found.modules, Arrays.asList("jdk.zipfs"),
        Collections.<String>emptyList(), Arrays.asList("java.base", "java.logging"), jdk).toString());
    assertEquals("jdk.crypto.ec", ModuleRules.lacking(new TreeSet<>(Arrays.asList("java.base", "jdk.crypto.ec")), jdk));
    assertEquals("java-sql", ModuleRules.badName(Arrays.asList("java.sql", "java-sql")));
  }

  @Test
  void jdkChecksByTheReleaseFile() throws Exception {
    File linux17 = jdk("linux17", "Linux", "x86_64", "17.0.9", true);
    File linux21 = jdk("linux21", "Linux", "amd64", "21.0.2", false);
    File linux25 = jdk("linux25", "Linux", "x86_64", "25.0.1", false);
    File windows17 = jdk("windows17", "Windows", "amd64", "17.0.2", true);
    File windows25 = jdk("windows25", "Windows", "x86_64", "25", false);
    File windows32 = jdk("windows32", "Windows", "x86", "17.0.9", true);

    RuntimeLinker.Link own = check(LauncherImage.LINUX_X64, linux17, linux17, "17");
    assertTrue(own.ownSystem && own.fromJmods && own.linker == own.target);
    RuntimeLinker.Link cross = check(LauncherImage.WINDOWS_X64_WINDOW, windows17, linux17, "1.8");
    assertTrue(!cross.ownSystem && cross.linker.home.equals(linux17));
    assertEquals(windows32, check(LauncherImage.WINDOWS_X86, windows32, linux17, null).target.home);
    // Java 25 links its own system from its runtime image.
    assertEquals(linux25, check(LauncherImage.LINUX_X64, linux25, linux17, "any").linker.home);

    refused(LauncherImage.WINDOWS_X64, linux17, linux17, null, "is a JDK for Linux x86_64, not for windows-x64"
        + " (Windows x86_64); name a JDK for Windows x86_64");
    refused(LauncherImage.WINDOWS_X86, windows17, linux17, null, "is a JDK for Windows x86_64, not for windows-x86");
    refused(LauncherImage.LINUX_X64, linux17, linux17, "17.0.10", "is Java 17.0.9, older than the Minimum Version 17.0.10");
    refused(LauncherImage.WINDOWS_X64, windows25, linux17, null, "has no jmods/, so it cannot link a runtime for"
        + " another system than its own; download the Windows x86_64 JDK's archive");
    refused(LauncherImage.WINDOWS_X64, windows17, linux21, null, "holds the modules of Java 17.0.2, but the jlink of"
        + " build is Java 21.0.2; jlink links only modules of its own version: run Maven on a JDK 17");
    refused(LauncherImage.LINUX_X64, linux21, linux17, null, "has no jmods/, and Java 21.0.2 links only from them");
    Files.write(new File(linux17, "release").toPath(), "JAVA_VERSION=\"17\"\nLIBC=musl\nOS_NAME=Linux\nOS_ARCH=amd64".getBytes());
    refused(LauncherImage.LINUX_X64, linux17, linux17, null, "is a JDK for Linux x86_64 with musl libc");
    assertThrows(MojoFailureException.class, () -> check(LauncherImage.LINUX_X64, folder.toFile(), linux21, null));
  }

  @Test
  void anyReleaseFileOrJdepsOutputIsReadWithoutFailing() {
    java.util.Random random = new java.util.Random(28);
    String pieces = "=\"\n\r ._-+ -> not found JAVA_VERSION OS_NAME OS_ARCH LIBC MODULES 1 17 99999999999 Windows x86 musl";
    for (int i = 0; i < 2000; ++i) {
      StringBuilder text = new StringBuilder();
      for (int n = random.nextInt(40); n > 0; --n)
        text.append(random.nextBoolean() ? (char) random.nextInt(0x3000) : pieces.charAt(random.nextInt(pieces.length())));
      JdkRelease release = JdkRelease.parse(folder.toFile(), text.toString());
      for (LauncherImage launcher : LauncherImage.values()) release.refusal(launcher, text.toString());
      ModuleRules.readJdeps(Arrays.asList(text.toString().split("\n")));
    }
  }

  private File jdk(String name, String os, String arch, String version, boolean jmods) throws IOException {
    File home = folder.resolve(name).toFile();
    assertTrue(new File(home, "bin").mkdirs());
    Files.write(new File(home, "release").toPath(), ("JAVA_VERSION=\"" + version + "\"\nOS_NAME=\"" + os
        + "\"\nOS_ARCH=\"" + arch + "\"\nMODULES=\"java.base java.sql\"\n").getBytes());
    Files.write(new File(RuntimeLinker.tool(home, "jlink")).toPath(), new byte[0]);
    if (jmods) Files.write(Files.createDirectories(home.toPath().resolve("jmods")).resolve("java.base.jmod"), new byte[0]);
    return home;
  }

  private static RuntimeLinker.Link check(LauncherImage launcher, File target, File build, String minimum)
      throws Exception {
    return RuntimeLinker.check(launcher, JdkRelease.read(target), new RuntimeLinker.Source("runtimeJdks",
        target.getPath()), JdkRelease.read(build), new RuntimeLinker.Source("linkRuntime", "build"), minimum,
        "Linux x86_64");
  }

  private static void refused(LauncherImage launcher, File target, File build, String minimum, String message) {
    MojoFailureException e = assertThrows(MojoFailureException.class, () -> check(launcher, target, build, minimum));
    assertTrue(e.getMessage().startsWith("<runtimeJdks> " + target.getPath() + " " + message), e.getMessage());
  }
}
