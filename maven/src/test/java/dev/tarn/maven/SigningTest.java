package dev.tarn.maven;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.Collections;
import java.util.Map;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

class SigningTest {
  /** Passwords by reference are read here, and one that reads like a reference is refused. */
  @Test
  void passwordsFromVariablesAndFiles(@TempDir Path folder) throws Exception {
    Path file = folder.resolve("pin");
    Files.write(file, "2468\n".getBytes(StandardCharsets.UTF_8));
    Map<String, String> environment = Collections.singletonMap("STOREPASS", "s3cret");
    Signing sign = new Signing();
    sign.storepass = "env:STOREPASS";
    sign.keypass = "file:" + file;
    Signing.Passwords passwords = sign.passwords(null, null, environment);
    assertEquals("s3cret", passwords.storepass);
    assertEquals("2468", passwords.keypass);
    sign.storepass = "env:MISSING";
    assertEquals("<sign> storepass names the environment variable MISSING, which is not set",
        assertThrows(Exception.class, () -> sign.passwords(null, null, environment)).getMessage());
    sign.storepass = "env:STOREPASS";
    assertThrows(Exception.class, () -> sign.passwords(null, null, Collections.singletonMap("STOREPASS", "file:x")));
  }

  @Test
  void serversFromElementsOrCommas() {
    Signing sign = new Signing();
    sign.tsaurl = Arrays.asList(" http://a/ , http://b/", "http://c/", "");
    assertEquals(Arrays.asList("http://a/", "http://b/", "http://c/"), sign.tsaurls());
  }
}
