package dev.tarn.maven;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import java.util.Arrays;
import org.apache.maven.plugin.MojoFailureException;
import org.junit.jupiter.api.Test;

class AssembleFilesTest {
  @Test
  void theIniIsNamedAsTheLauncherReadsIt() {
    assertEquals("my.ini", LauncherImage.LINUX_X64.iniName("my.app"));
    assertEquals("my.app.ini", LauncherImage.WINDOWS_X64.iniName("my.app"));
    assertEquals("greeter.ini", LauncherImage.LINUX_X64.iniName("greeter"));
    assertThrows(MojoFailureException.class,
        () -> AbstractTarnMojo.checkName("tool.INI", Arrays.asList(LauncherImage.WINDOWS_X64, LauncherImage.LINUX_X64)));
  }
}
