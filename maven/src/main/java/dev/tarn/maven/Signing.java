package dev.tarn.maven;

import java.io.File;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.settings.Server;
import org.apache.maven.settings.Settings;
import org.apache.maven.settings.building.SettingsProblem;
import org.apache.maven.settings.crypto.DefaultSettingsDecryptionRequest;
import org.apache.maven.settings.crypto.SettingsDecrypter;
import org.apache.maven.settings.crypto.SettingsDecryptionResult;

/**
 * The {@code <sign>} block: how the Windows executables are signed. Plain values only, so that a
 * build without it never loads the signing library; {@link Signer} does the signing.
 */
public class Signing {
  /** A key store file, a PKCS#11 provider configuration, or a key service's name or address. */
  String keystore;
  /** PKCS12, JKS, PKCS11, ...; default: what the key store file is. */
  String storetype;
  /** Default: the key store's one key. */
  String alias;
  /** Literal, env:NAME or file:PATH; default: the password of the settings.xml server serverId. */
  String storepass;
  /** Literal, env:NAME or file:PATH; default: that server's passphrase, else storepass. */
  String keypass;
  /** The id of a server in Maven's settings.xml whose password (and passphrase) to use. */
  String serverId;
  /** The certificate chain, where the key store holds none (PEM, DER or PKCS#7). */
  File certfile;
  /** Time-stamping servers, tried in turn; none: no timestamp. */
  List<String> tsaurl;
  /** RFC3161 (default) or AUTHENTICODE. */
  String tsmode;
  /** Rounds through the servers until one gives a timestamp; default 3. */
  Integer tsretries;
  /** Seconds between rounds; default 10. */
  Integer tsretrywait;
  /** SHA-256 (default), SHA-384, SHA-512 or SHA-1. */
  String alg;
  /** The signature's program name; default: the product name. */
  String description;
  /** The signature's link; default: the project's URL. */
  String url;

  /** The passwords once read from where the configuration says. */
  static final class Passwords {
    String storepass;
    String keypass;
  }

  /** Never the passwords: Maven prints parameters in its debug output. */
  @Override
  public String toString() {
    return "sign(keystore=" + keystore + ", storetype=" + storetype + ", alias=" + alias + ")";
  }

  /** The time-stamping servers, from elements or commas, blanks dropped. */
  List<String> tsaurls() {
    List<String> urls = new ArrayList<>();
    if (tsaurl != null)
      for (String entry : tsaurl)
        for (String part : entry.split(",")) if (!part.trim().isEmpty()) urls.add(part.trim());
    return urls;
  }

  /** Reads the passwords; a missing variable, file or server fails the build by name. */
  Passwords passwords(Settings settings, SettingsDecrypter decrypter, Map<String, String> environment)
      throws MojoFailureException {
    Passwords passwords = new Passwords();
    passwords.storepass = read("storepass", storepass, environment);
    passwords.keypass = read("keypass", keypass, environment);
    if (serverId == null || serverId.trim().isEmpty()) return passwords;
    Server server = settings == null ? null : settings.getServer(serverId.trim());
    if (server == null)
      throw bad("serverId \"" + serverId.trim() + "\" names no <server> in Maven's settings.xml");
    SettingsDecryptionResult result = decrypter.decrypt(new DefaultSettingsDecryptionRequest(server));
    for (SettingsProblem problem : result.getProblems())
      if (problem.getSeverity() != SettingsProblem.Severity.WARNING)
        throw bad("serverId \"" + serverId.trim() + "\": its password cannot be decrypted: " + problem.getMessage());
    Server plain = result.getServer() != null ? result.getServer() : server;
    String source = "the server " + serverId.trim() + " of settings.xml";
    if (passwords.storepass == null) passwords.storepass = plain(source, plain.getPassword());
    if (passwords.keypass == null) passwords.keypass = plain(source, plain.getPassphrase());
    return passwords;
  }

  /** env:NAME and file:PATH as the signing library reads them, with messages of ours. */
  private static String read(String parameter, String value, Map<String, String> environment)
      throws MojoFailureException {
    if (value == null) return null;
    if (value.startsWith("env:")) {
      String password = environment.get(value.substring(4));
      if (password == null)
        throw bad(parameter + " names the environment variable " + value.substring(4) + ", which is not set");
      return plain("the environment variable " + value.substring(4), password);
    }
    if (value.startsWith("file:")) {
      try {
        byte[] bytes = Files.readAllBytes(new File(value.substring(5)).toPath());
        return plain("the file " + value.substring(5), new String(bytes, StandardCharsets.UTF_8).trim());
      } catch (IOException e) {
        throw bad(parameter + " names the file " + value.substring(5) + ", which cannot be read");
      }
    }
    return value;
  }

  /** The library would read a password that starts so as another reference, not as itself. */
  private static String plain(String source, String password) throws MojoFailureException {
    if (password != null && (password.startsWith("env:") || password.startsWith("file:")))
      throw bad("the password from " + source + " starts with env: or file:, which the signing library"
          + " would take for a reference; change the password");
    return password;
  }

  static MojoFailureException bad(String message) {
    return AbstractTarnMojo.bad("sign", message);
  }
}
