package dev.tarn.maven;

import java.io.ByteArrayInputStream;
import java.io.File;
import java.net.MalformedURLException;
import java.net.URL;
import java.nio.file.Files;
import java.nio.file.Path;
import java.security.Key;
import java.security.KeyStore;
import java.security.PrivateKey;
import java.security.Provider;
import java.security.UnrecoverableKeyException;
import java.security.cert.Certificate;
import java.security.cert.CertificateFactory;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collection;
import java.util.Collections;
import java.util.LinkedHashSet;
import java.util.List;
import java.util.Locale;
import java.util.Set;
import javax.security.auth.login.FailedLoginException;
import net.jsign.AuthenticodeSigner;
import net.jsign.DigestAlgorithm;
import net.jsign.KeyStoreBuilder;
import net.jsign.Signable;
import net.jsign.timestamp.TimestampingException;
import net.jsign.timestamp.TimestampingMode;
import org.apache.maven.plugin.MojoFailureException;

/** Authenticode signatures by jsign. Only a build with {@code <sign>} loads this class. */
final class Signer {
  private final AuthenticodeSigner signer;
  private final List<String> tsaurls;
  private final int rounds;
  private final int roundWait;

  private Signer(AuthenticodeSigner signer, List<String> tsaurls, int rounds, int roundWait) {
    this.signer = signer;
    this.tsaurls = tsaurls;
    this.rounds = rounds;
    this.roundWait = roundWait;
  }

  /**
   * Checks the configuration, opens the key store and takes the key and its certificates out:
   * a wrong password fails here, before anything is signed.
   */
  static Signer open(Signing sign, Signing.Passwords passwords, String description, String url, File basedir)
      throws MojoFailureException {
    String alg = sign.alg == null ? "SHA-256" : sign.alg.trim();
    DigestAlgorithm digest = DigestAlgorithm.of(alg);
    if (digest == null || digest == DigestAlgorithm.MD5)
      throw Signing.bad("alg \"" + alg + "\" is none of SHA-256, SHA-384, SHA-512 or SHA-1");
    TimestampingMode mode;
    try {
      mode = sign.tsmode == null ? TimestampingMode.RFC3161 : TimestampingMode.of(sign.tsmode.trim());
    } catch (IllegalArgumentException e) {
      throw Signing.bad("tsmode \"" + sign.tsmode + "\" is neither RFC3161 nor AUTHENTICODE");
    }
    List<String> tsaurls = sign.tsaurls();
    for (String tsaurl : tsaurls) {
      String scheme;
      try {
        scheme = new URL(tsaurl).getProtocol();
      } catch (MalformedURLException e) {
        scheme = "";
      }
      if (!scheme.equals("http") && !scheme.equals("https"))
        throw Signing.bad("tsaurl \"" + tsaurl + "\" is no http or https URL such as http://timestamp.example.com");
    }
    int rounds = sign.tsretries == null ? 3 : sign.tsretries;
    int wait = sign.tsretrywait == null ? 10 : sign.tsretrywait;
    if (rounds < 1 || wait < 0) throw Signing.bad("tsretries is below 1 or tsretrywait below 0");

    KeyStoreBuilder builder = builder(sign, passwords, basedir);
    KeyStore store = load(builder, sign, passwords.storepass);
    AuthenticodeSigner signer = keyOf(store, sign, passwords, basedir)
        .withDigestAlgorithm(digest)
        .withProgramName(sign.description != null ? sign.description : description)
        .withProgramURL(sign.url != null ? sign.url : url)
        .withTimestamping(!tsaurls.isEmpty());
    // A token's key signs through the token's own provider.
    Provider provider = builder.provider();
    if (provider != null) signer.withSignatureProvider(provider);
    if (!tsaurls.isEmpty()) {
      // One attempt per server: the rounds and the wait between them are ours.
      signer.withTimestampingMode(mode)
          .withTimestampingAuthority(tsaurls.toArray(new String[0]))
          .withTimestampingRetries(tsaurls.size())
          .withTimestampingRetryWait(0);
    }
    return new Signer(signer, tsaurls, rounds, wait);
  }

  private static KeyStoreBuilder builder(Signing sign, Signing.Passwords passwords, File basedir)
      throws MojoFailureException {
    if (sign.keystore == null && sign.storetype == null)
      throw Signing.bad("names no keystore: give the key store file, or the storetype of a token that needs none");
    KeyStoreBuilder builder = new KeyStoreBuilder();
    try {
      if (sign.keystore != null) builder.keystore(inProject(basedir, sign.keystore.trim()));
      if (sign.storetype != null) builder.storetype(sign.storetype.trim());
      if (passwords.storepass != null) builder.storepass(passwords.storepass);
      if (passwords.keypass != null) builder.keypass(passwords.keypass);
    } catch (IllegalArgumentException e) {
      throw Signing.bad(e.getMessage());
    }
    return builder;
  }

  private static KeyStore load(KeyStoreBuilder builder, Signing sign, String storepass) throws MojoFailureException {
    String keystore = sign.keystore == null ? null : sign.keystore.trim();
    try {
      return builder.build();
    } catch (IllegalArgumentException e) {
      String message = e.getMessage();
      throw Signing.bad(message + (sign.storetype == null && message.contains("not recognized")
          ? "; set storetype (PKCS12, JKS, PKCS11, ...)" : ""));
    } catch (Exception e) {
      if (!wrongPassword(e)) throw Signing.bad("the key store " + keystore + " cannot be opened: " + reason(e));
      if (isFile(sign.storetype))
        throw Signing.bad("wrong password: the key store " + keystore + " does not open " + with("storepass", storepass));
      throw Signing.bad("wrong password: the " + sign.storetype.trim() + " key store " + keystore
          + " refuses the storepass given (a token's PIN)");
    }
  }

  /** A signer with the key and its chain, from the key store or certfile. */
  private static AuthenticodeSigner keyOf(KeyStore store, Signing sign, Signing.Passwords passwords, File basedir)
      throws MojoFailureException {
    String keystore = sign.keystore == null ? null : sign.keystore.trim();
    String alias = sign.alias == null ? null : sign.alias.trim();
    try {
      if (alias == null) alias = onlyKey(store, keystore);
      String keypass = passwords.keypass != null ? passwords.keypass : passwords.storepass;
      Key key = store.getKey(alias, keypass == null ? null : keypass.toCharArray());
      if (!(key instanceof PrivateKey))
        throw Signing.bad("alias \"" + alias + "\" names no private key in " + keystore + "; it holds "
            + String.join(", ", keys(store)));
      Certificate[] chain = sign.certfile != null ? certificates(new File(inProject(basedir, sign.certfile.getPath())))
          : store.getCertificateChain(alias);
      if (chain == null || chain.length == 0)
        throw Signing.bad("the key store " + keystore + " holds no certificate for \"" + alias + "\"; name the"
            + " certificate chain with certfile");
      return new AuthenticodeSigner(chain, (PrivateKey) key);
    } catch (MojoFailureException e) {
      throw e;
    } catch (Exception e) {
      if (wrongPassword(e))
        throw Signing.bad("wrong password: the key \"" + alias + "\" does not open "
            + (passwords.keypass != null ? with("keypass", passwords.keypass) : with("storepass", passwords.storepass)));
      throw Signing.bad("the key \"" + alias + "\" of " + keystore + " cannot be used: " + reason(e));
    }
  }

  boolean timestamps() {
    return !tsaurls.isEmpty();
  }

  /**
   * The executable signed and timestamped, or a failure that says why. Each round asks the
   * servers in turn, one right after the other; a failed round waits tsretrywait to try again.
   */
  byte[] sign(byte[] executable, String name) throws MojoFailureException {
    Set<String> failures = new LinkedHashSet<>();
    for (int round = 1; ; ++round) {
      try {
        return signOnce(executable);
      } catch (TimestampingException e) {
        // jsign asks one server per attempt, in order, and keeps each failure.
        Throwable[] suppressed = e.getSuppressed();
        for (int i = 0; i < suppressed.length; ++i) failures.add(tsaurls.get(i % tsaurls.size()) + ": " + reason(suppressed[i]));
        if (suppressed.length == 0) failures.add(reason(e));
        if (round >= rounds)
          throw Signing.bad("no timestamp for " + name + ": " + String.join("; ", failures) + " (" + rounds
              + (rounds == 1 ? " round" : " rounds") + " through tsaurl; see tsretries and tsretrywait)");
      } catch (Exception e) {
        throw Signing.bad(name + " cannot be signed: " + reason(e));
      }
      try {
        Thread.sleep(roundWait * 1000L);
      } catch (InterruptedException e) {
        Thread.currentThread().interrupt();
        throw Signing.bad("interrupted while waiting to ask the time-stamping servers again");
      }
    }
  }

  private byte[] signOnce(byte[] executable) throws Exception {
    // jsign signs files, and tells their kind by the name's ending.
    Path file = Files.createTempFile("tarn-sign-", ".exe");
    try {
      Files.write(file, executable);
      try (Signable signable = Signable.of(file.toFile())) {
        signer.sign(signable);
      }
      return Files.readAllBytes(file);
    } finally {
      Files.deleteIfExists(file);
    }
  }

  private static String with(String parameter, String password) {
    return password != null ? "with the " + parameter + " given" : "without a password: give storepass, keypass or serverId";
  }

  private static boolean isFile(String storetype) {
    return storetype == null || Arrays.asList("PKCS12", "JKS", "JCEKS").contains(storetype.trim().toUpperCase(Locale.ROOT));
  }

  private static boolean wrongPassword(Throwable e) {
    for (Throwable cause = e; cause != null; cause = cause.getCause()) {
      if (cause instanceof UnrecoverableKeyException || cause instanceof FailedLoginException) return true;
      if (String.valueOf(cause.getMessage()).contains("CKR_PIN_INCORRECT")) return true;
    }
    return false;
  }

  /** The innermost message, which names the cause rather than the step. */
  static String reason(Throwable e) {
    String reason = null;
    for (Throwable cause = e; cause != null; cause = cause.getCause()) {
      String message = cause.getMessage();
      if (message != null && !message.trim().isEmpty()) reason = message.trim();
      else if (reason == null) reason = cause.getClass().getSimpleName();
    }
    return reason;
  }

  private static String onlyKey(KeyStore store, String keystore) throws Exception {
    List<String> keys = keys(store);
    if (keys.size() == 1) return keys.get(0);
    throw Signing.bad(keys.isEmpty() ? keystore + " holds no key" : "alias is not set and " + keystore + " holds"
        + " several keys: " + String.join(", ", keys) + "; name one with alias");
  }

  private static List<String> keys(KeyStore store) throws Exception {
    List<String> keys = new ArrayList<>();
    for (String alias : Collections.list(store.aliases())) if (store.isKeyEntry(alias)) keys.add(alias);
    return keys;
  }

  private static Certificate[] certificates(File file) throws Exception {
    byte[] bytes = Files.readAllBytes(file.toPath());
    Collection<? extends Certificate> all =
        CertificateFactory.getInstance("X.509").generateCertificates(new ByteArrayInputStream(bytes));
    return all.toArray(new Certificate[0]);
  }

  /** A relative path names a file of the project where there is one; else it may be a service's name. */
  private static String inProject(File basedir, String path) {
    if (basedir == null || new File(path).isAbsolute()) return path;
    File inProject = new File(basedir, path);
    return inProject.exists() ? inProject.getPath() : path;
  }
}
