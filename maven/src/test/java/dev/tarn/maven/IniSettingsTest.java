package dev.tarn.maven;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;

import java.nio.charset.StandardCharsets;
import org.junit.jupiter.api.Test;

class IniSettingsTest {
  /**
   * The pom's values replace the file's, whose known names come in the launcher's spelling
   * whatever their case; the rest stays in its order.
   */
  @Test
  void parametersOverTheFile() throws Exception {
    IniSettings ini = IniSettings.parse(("Stray=1\n; comment\n[java runtime environment]\n"
        + "main class = \"app.Old\"\nJRE Path=jre\n[application+]\ncmd=--more\n").getBytes(StandardCharsets.UTF_8));
    assertEquals("app.Old", ini.get(IniSettings.RUNTIME, "Main Class"));
    assertNull(ini.get(IniSettings.APPLICATION, "Cmd"));
    ini.set(IniSettings.RUNTIME, "Main Class", "app.New");
    ini.set(IniSettings.RUNTIME, "Minimum Version", "17");
    ini.set(IniSettings.APPLICATION, "Embedded Jar", "Yes");
    ini.set(IniSettings.APPLICATION, "Cmd", null);
    assertEquals("Stray=1\n[Java Runtime Environment]\nMain Class=app.New\nJRE Path=jre\nMinimum Version=17\n"
        + "[Application+]\nCmd=--more\n[Application]\nEmbedded Jar=Yes\n", ini.text("\n"));
  }

  @Test
  void projectVersionNumbers() {
    assertEquals("2.5.1", AbstractTarnMojo.leadingNumbers("2.5.1-SNAPSHOT"));
    assertEquals("1.2.3.4", AbstractTarnMojo.leadingNumbers("1.2.3.4.5"));
    assertEquals("7", AbstractTarnMojo.leadingNumbers("7.x"));
    assertNull(AbstractTarnMojo.leadingNumbers("LATEST"));
    assertNull(AbstractTarnMojo.leadingNumbers("70000.1"));
  }
}
