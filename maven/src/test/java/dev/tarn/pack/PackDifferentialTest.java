package dev.tarn.pack;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Locale;
import java.util.Random;
import java.util.jar.JarEntry;
import java.util.jar.JarOutputStream;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/**
 * The Java packer against the native tarn-pack: for the same inputs the same bytes, or the same
 * refusal, over every launcher the plugin carries.
 */
class PackDifferentialTest {
  private static final String[] LAUNCHERS = {"windows-x64/tarn.exe", "windows-x64-window/tarnw.exe",
      "windows-x86/tarn.exe", "windows-x86-window/tarnw.exe", "linux-x64/tarn"};
  private static final String UNICODE = "Zażółć gęślą jaźń Ελληνικά 日本語 😀";

  @TempDir static Path work;
  private static int cases;

  @BeforeAll
  static void inputs() throws IOException {
    String encoding = System.getProperty("sun.jnu.encoding", "");
    assertTrue(encoding.equalsIgnoreCase("UTF-8"), "arguments must reach tarn-pack as UTF-8, not " + encoding);
    for (String launcher : LAUNCHERS) {
      try (InputStream in = PackDifferentialTest.class.getResourceAsStream("/dev/tarn/launchers/" + launcher)) {
        assertTrue(in != null, "the plugin's resources lack " + launcher);
        write(launcher.replace('/', '-'), PackFiles.readAll(in));
      }
    }
    write("app.ini", "[Java Runtime Environment]\nMain Class=app.Main\n[Application]\nEmbedded Jar=Yes\n");
    write("unicode.ini", "\ufeff; comment\r[Application]\r\n  Cmd = \"" + UNICODE + "\" \n[ Product Information ]\nProduct Name='"
        + UNICODE + "'\nno equals sign\n");
    byte[] utf16 = ("[Application]\r\nCmd=" + UNICODE).getBytes(StandardCharsets.UTF_16LE);
    write("utf16.ini", concat(new byte[] {(byte) 0xFF, (byte) 0xFE}, utf16));
    write("plain.ini", "[Java Runtime Environment]\nMain Class=app.Main\n");
    write("unused.ini", "[application]\nembedded jar = NO\n");
    // 8182 characters fill the reserved room exactly; one more only fits a resource.
    write("full.ini", "[Application]\r\nEmbedded Jar=Yes\r\n[A]\r\nB=" + repeat('x', 8182 - 40));
    write("over.ini", "[A]\r\nB=" + repeat('x', 8182 - 6));
    write("latin1.ini", new byte[] {'C', 'm', 'd', '=', (byte) 0xFC});
    write("app.jar", jar("app/Main.class", "app/data.txt"));
    write("other.jar", jar("other/Other.class"));
    write("text.txt", "plain text\n");
    write("app.ico", icon());
    write("splash.gif", new byte[] {'G', 'I', 'F', '8', '9', 'a', 3, 0, 1, 0, 0, 0, 0, ';'});
    // 2 x 2, top-down.
    write("splash.bmp", concat(new byte[] {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, -2, -1,
        -1, -1}, new byte[44]));
    write("huge.png", concat(new byte[] {(byte) 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H',
        'D', 'R', 0, 0, 0x10, 1, 0, 0, 0, 1}, new byte[5]));
  }

  @Test
  void packsAsTheNativeTool() throws Exception {
    String[] version = {"--file-version", "2.5.1", "--product-name", "Viewer", "--company", "Example Ltd",
        "--description", "Image viewer", "--copyright", "(c) 2026 Example"};
    String[] unicode = {"--product-version", "3", "--product-name", UNICODE, "--company", UNICODE,
        "--original-name", UNICODE + ".exe"};
    String[] longest = {"--file-version", "65535.0.65535", "--copyright", repeat('c', 4000)};
    for (String launcher : LAUNCHERS) {
      String l = launcher.replace('/', '-');
      same(l, "app.ini");
      same(l, "app.ini", "app.jar");
      same(l, "unicode.ini", "other.jar");
      same(l, "utf16.ini");
      same(l, "full.ini", "app.jar");
      same(l, "over.ini");
      same(l, "over.ini", "--product-name", "x");
      same(l, "app.ini", "app.jar", "--icon", "app.ico");
      same(l, "app.ini", "app.jar", "--icon", "app.ico", version);
      same(l, "unicode.ini", "app.jar", unicode);
      same(l, "app.ini", longest);
      same(l, "app.ini", "app.jar", "--splash", "splash.gif", "--icon", "app.ico");
      same(l, "app.ini", "--splash", "splash.bmp");
      // A jar makes the configuration embed it, or is refused where the configuration says no.
      same(l, "plain.ini", "app.jar");
      same(l, "plain.ini", "app.jar", version);
      same(l, "unused.ini", "app.jar");
      same(l, "app.ini", "--execution-level", "requireAdministrator");
      same(l, "app.ini", "app.jar", "--execution-level", "highestAvailable", version);
      // Packed again: the configuration, the jar, the icon and the version replaced or kept.
      for (String[] identity : new String[][] {{}, version}) {
        same(l, "app.ini", "app.jar", identity);
        if (!Files.exists(work.resolve("native/out"))) continue;  // Linux with a version
        Files.copy(work.resolve("native/out"), work.resolve("packed"), java.nio.file.StandardCopyOption.REPLACE_EXISTING);
        same("packed", "unicode.ini");
        same("packed", "unicode.ini", "other.jar", "--file-version", "4");
        same("packed", "app.ini", "--icon", "app.ico");
        same("packed", "app.ini", "--splash", "splash.gif");
        same("packed", "unused.ini");
        same("packed", "app.ini", "--execution-level", "asInvoker");
      }
      // Refusals.
      same(l, "latin1.ini");
      same(l, "app.ini", "text.txt");
      same(l, "app.ini", "--icon", "text.txt");
      same(l, "app.ini", "--splash", "text.txt");
      same(l, "app.ini", "--splash", "huge.png");
      same(l, "app.ini", "--file-version", "1.x");
      same(l, "app.ini", "--product-version", "65536");
      same(l, "app.ini", "--copyright", repeat('c', 4001));
      same(l, "app.ini", "--execution-level", "requireadministrator");
      same("text.txt", "app.ini");
      outputIsInput(l);
    }
    byte[] signed = read(LAUNCHERS[0].replace('/', '-'));
    LittleEndian.write32(signed, PeImage.peHeader(signed) + 24 + 112 + 8 * PeImage.CERTIFICATE_DIRECTORY + 4, 0x400);
    write("signed.exe", signed);
    same("signed.exe", "app.ini");
    same("signed.exe", "app.ini", "--file-version", "1");
  }

  /**
   * Every name in the launcher's own table (src/config) and in the Java packer's, written in
   * another case: each packer spells the names of its own list, so the lists must agree.
   */
  @Test
  void spellsEveryNameTheLauncherReads() throws Exception {
    String table = new String(Files.readAllBytes(Paths.get(System.getProperty("tarn.settingNames"))),
        StandardCharsets.UTF_8);
    List<String[]> names = new ArrayList<>();
    for (Matcher pair = Pattern.compile("\\{\"([^\"]+)\", \"([^\"]+)\"\\},").matcher(table); pair.find(); )
      names.add(new String[] {pair.group(1), pair.group(2)});
    assertTrue(names.size() > 20, "the launcher's table was not found in " + System.getProperty("tarn.settingNames"));
    names.addAll(Arrays.asList(SettingNames.KEYS));
    StringBuilder ini = new StringBuilder();
    for (String[] name : names)
      ini.append("[").append(name[0].toLowerCase(Locale.ROOT)).append("]\n[").append(name[0].toUpperCase(Locale.ROOT))
          .append("+]\n").append(name[1].toUpperCase(Locale.ROOT)).append("=v\n");
    write("names.ini", ini.toString());
    same("linux-x64-tarn", "names.ini");
    same("windows-x64-tarn.exe", "names.ini", "--file-version", "1");
  }

  /** Launchers, jars and icons with bytes changed at random: the same bytes or the same refusal. */
  @Test
  void damagedInputsAsTheNativeTool() throws Exception {
    Random random = new Random(20261209);
    String[][] inputs = {{"windows-x64-tarn.exe", "0"}, {"windows-x86-window-tarnw.exe", "0"}, {"app.jar", "2"},
        {"app.ico", "4"}, {"splash.bmp", "8"}};
    for (int i = 0; i < 160; ++i) {
      String[] input = inputs[i % inputs.length];
      byte[] bytes = read(input[0]);
      // Where the parsers read: the headers, the resource tables, the zip's end.
      int[] regions = {0, resourceSection(bytes), Math.max(0, bytes.length - 1024)};
      for (int k = 1 + random.nextInt(4); k > 0; --k) {
        int at = regions[random.nextInt(3)] + random.nextInt(1024);
        if (at < bytes.length) bytes[at] = (byte) random.nextInt(256);
      }
      write("damaged", bytes);
      String[] arguments = {"windows-x64-tarn.exe", "app.ini", "app.jar", "--icon", "app.ico", "--file-version", "1",
        "--splash", "splash.bmp"};
      arguments[Integer.parseInt(input[1])] = "damaged";
      same((Object[]) arguments);
      if (input[1].equals("0")) same("damaged", "app.ini", "app.jar");
    }
  }

  /** Where the section named .rsrc starts in the file, 0 for none. */
  private static int resourceSection(byte[] file) {
    for (int at = 0; at + 24 < Math.min(file.length, 1024); ++at)
      if (new String(file, at, 6, StandardCharsets.ISO_8859_1).equals(".rsrc\0"))
        return (int) LittleEndian.read32(file, at + 20);
    return 0;
  }

  /** The output is the launcher, by another spelling. */
  private static void outputIsInput(String launcher) throws Exception {
    String[] arguments = {launcher, "app.ini"};
    String output = work.resolve(".").resolve(launcher).toString();
    assertEquals(runNative(arguments, output), runJava(arguments, output), "output " + output);
  }

  /**
   * Files: an input that is missing, an output whose folders are missing, and one that cannot be
   * written because a file stands where its folder would be.
   */
  @Test
  void fileErrorsAsTheNativeTool() throws Exception {
    write("native/file", "");
    write("java/file", "");
    same("linux-x64-tarn", "app.ini", "missing.jar");
    sameTo("made/on/the/way/out", "linux-x64-tarn", "app.ini");
    sameTo("file/out", "windows-x64-tarn.exe", "app.ini");
    sameTo("file/below/out", "windows-x64-tarn.exe", "app.ini");
  }

  /** Packs with both tools into native/out and java/out, and compares. */
  private static void same(Object... parts) throws Exception {
    sameTo("out", parts);
  }

  /**
   * The same into native/output and java/output; a message names the output as "&lt;output&gt;"
   * and a file error's reason, which each side takes from its system, is left out.
   */
  private static void sameTo(String output, Object... parts) throws Exception {
    List<String> flat = new ArrayList<>();
    for (Object part : parts) {
      if (part instanceof String[]) flat.addAll(Arrays.asList((String[]) part));
      else flat.add((String) part);
    }
    String[] arguments = flat.toArray(new String[0]);
    ++cases;
    Path nativeOut = Files.createDirectories(work.resolve("native")).resolve(output);
    Path javaOut = Files.createDirectories(work.resolve("java")).resolve(output);
    if (Files.isRegularFile(nativeOut)) Files.delete(nativeOut);
    if (Files.isRegularFile(javaOut)) Files.delete(javaOut);
    String nativeError = runNative(arguments, nativeOut.toString()).replace(nativeOut.toString(), "<output>");
    String javaError = runJava(arguments, javaOut.toString()).replace(javaOut.toString(), "<output>");
    String what = "case " + cases + ": " + Arrays.toString(arguments).substring(0, Math.min(200, Arrays.toString(arguments).length()));
    String reason = "(cannot be read|read error|cannot be written|write error|its folder cannot be created): .+";
    assertEquals(nativeError.replaceAll(reason, "$1: <reason>"), javaError.replaceAll(reason, "$1: <reason>"), what);
    assertEquals(Files.exists(nativeOut), Files.exists(javaOut), what);
    if (Files.exists(nativeOut)) assertArrayEquals(Files.readAllBytes(nativeOut), Files.readAllBytes(javaOut), what);
  }

  private static String runNative(String[] arguments, String output) throws Exception {
    List<String> command = new ArrayList<>();
    command.add(System.getProperty("tarn.pack"));
    for (int i = 0; i < arguments.length; ++i) {
      boolean value = i > 0 && arguments[i - 1].startsWith("--") && !arguments[i - 1].equals("--icon")
          && !arguments[i - 1].equals("--splash");
      command.add(value || arguments[i].startsWith("--") ? arguments[i] : resolve(arguments[i]));
    }
    command.add("-o");
    command.add(output);
    Process process = new ProcessBuilder(command).redirectErrorStream(true).start();
    String text = new String(PackFiles.readAll(process.getInputStream()), StandardCharsets.UTF_8);
    return process.waitFor() == 0 ? "" : text;
  }

  private static String runJava(String[] arguments, String output) {
    List<String> files = new ArrayList<>();
    Identity identity = new Identity();
    String icon = null;
    String splash = null;
    for (int i = 0; i < arguments.length; ++i) {
      String value = i + 1 < arguments.length ? arguments[i + 1] : "";
      switch (arguments[i]) {
        case "--icon": icon = resolve(value); break;
        case "--splash": splash = resolve(value); break;
        case "--file-version": identity.fileVersion = value; break;
        case "--product-version": identity.productVersion = value; break;
        case "--product-name": identity.productName = value; break;
        case "--company": identity.company = value; break;
        case "--description": identity.description = value; break;
        case "--copyright": identity.copyright = value; break;
        case "--original-name": identity.originalName = value; break;
        case "--execution-level": identity.executionLevel = value; break;
        default: files.add(resolve(arguments[i])); continue;
      }
      ++i;
    }
    try {
      PackFiles.pack(files.get(0), files.get(1), files.size() > 2 ? files.get(2) : null, icon, splash, identity,
          output);
      return "";
    } catch (PackException e) {
      return "tarn-pack: " + e.getMessage() + "\n";
    }
  }

  private static String resolve(String name) {
    return work.resolve(name).toString();
  }

  private static byte[] read(String name) throws IOException {
    return Files.readAllBytes(work.resolve(name));
  }

  private static void write(String name, byte[] bytes) throws IOException {
    Files.createDirectories(work.resolve(name).getParent());
    Files.write(work.resolve(name), bytes);
  }

  private static void write(String name, String text) throws IOException {
    write(name, text.getBytes(StandardCharsets.UTF_8));
  }

  private static String repeat(char c, int count) {
    char[] text = new char[count];
    Arrays.fill(text, c);
    return new String(text);
  }

  private static byte[] concat(byte[] a, byte[] b) {
    byte[] both = Arrays.copyOf(a, a.length + b.length);
    System.arraycopy(b, 0, both, a.length, b.length);
    return both;
  }

  private static byte[] jar(String... names) throws IOException {
    ByteArrayOutputStream bytes = new ByteArrayOutputStream();
    try (JarOutputStream out = new JarOutputStream(bytes)) {
      for (String name : names) {
        out.putNextEntry(new JarEntry(name));
        out.write(name.getBytes(StandardCharsets.UTF_8));
      }
    }
    return bytes.toByteArray();
  }

  /** Two images: a PNG and a bitmap (a 40-byte header first). */
  private static byte[] icon() {
    byte[] png = concat(new byte[] {(byte) 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'}, new byte[24]);
    byte[] bitmap = new byte[40 + 64];
    bitmap[0] = 40;
    byte[] file = new byte[6 + 32];
    file[2] = 1;
    file[4] = 2;
    int offset = file.length;
    byte[][] images = {png, bitmap};
    for (int i = 0; i < 2; ++i) {
      int entry = 6 + 16 * i;
      file[entry] = (byte) (16 << i);
      file[entry + 1] = (byte) (16 << i);
      file[entry + 4] = 1;
      file[entry + 6] = 32;
      LittleEndian.write32(file, entry + 8, images[i].length);
      LittleEndian.write32(file, entry + 12, offset);
      offset += images[i].length;
    }
    return concat(concat(file, png), bitmap);
  }
}
