package dev.tarn.pack;

import static dev.tarn.pack.LittleEndian.read32;

import dev.tarn.pack.PackException.Input;
import dev.tarn.pack.ResourceTree.Key;
import dev.tarn.pack.ResourceTree.Resource;
import java.nio.charset.CharacterCodingException;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * Turns a launcher into an application's executable: its configuration written into the block
 * the launcher reserves, its jar appended so that the executable itself reads as that jar, and
 * for a Windows launcher its icon and version information. The same inputs give the same bytes
 * as the native tarn-pack.
 */
public final class Packer {
  private static final int US_ENGLISH = 0x409;
  private static final int LONGEST_VERSION_TEXT = 4000;
  private static final int MOST_EMBEDDED_TEXT = 16 * 1024 * 1024;

  private Packer() {}

  /** What a launcher file is. */
  public enum Kind {
    UNKNOWN,
    PE,
    ELF
  }

  public static Kind kind(byte[] file) {
    if (PeImage.peHeader(file) != 0) return Kind.PE;
    if (file.length >= 64 && file[0] == 0x7f && file[1] == 'E' && file[2] == 'L' && file[3] == 'F')
      return Kind.ELF;
    return Kind.UNKNOWN;
  }

  /**
   * The application's executable. An executable packed before may serve as the launcher: its
   * configuration is replaced, and so is its jar when a new one is given (without one, the old
   * jar stays). An identity, for a Windows launcher only, rebuilds the resource section with the
   * new icon, version and execution level and the configuration in its resource; everything else
   * in it is kept.
   *
   * @param jar the jar to append, or null
   * @param identity the icon and version information, or null
   */
  public static byte[] pack(byte[] launcher, byte[] ini, byte[] jar, Identity identity)
      throws PackException {
    Kind kind = kind(launcher);
    if (kind == Kind.UNKNOWN)
      throw new PackException(Input.LAUNCHER, "the launcher is neither a Windows (PE) nor a Linux (ELF) executable");
    if (identity != null && identity.hasSplash() && kind != Kind.PE)
      throw new PackException(Input.LAUNCHER, "the launcher is a Linux executable, which shows no splash image");
    if (identity != null && identity.any()) {
      if (kind != Kind.PE)
        throw new PackException(Input.LAUNCHER,
            "the launcher is a Linux executable, which carries no icon, version information or manifest");
      return packWithResources(launcher, ini, jar, identity);
    }
    List<Integer> markers = findMarkers(launcher);
    if (markers.isEmpty())
      throw new PackException(Input.LAUNCHER, "the launcher has no space reserved for a configuration: not a Tarn launcher");
    if (markers.size() > 1)
      throw new PackException(Input.LAUNCHER, "the launcher holds " + markers.size()
          + " configuration markers, so the reserved space cannot be told apart");
    int block = markers.get(0);
    if (launcher.length - block < EmbeddedBlock.HEADER_SIZE
        || read32(launcher, block + 8) > launcher.length - block - EmbeddedBlock.HEADER_SIZE)
      throw new PackException(Input.LAUNCHER, "the launcher's reserved configuration space is damaged");
    if (kind == Kind.PE && PeImage.directorySize(launcher, PeImage.CERTIFICATE_DIRECTORY) != 0)
      throw signed();
    int room = (int) read32(launcher, block + 8);

    // A launcher packed before carries its jar at the end: a new jar replaces it, so the
    // launcher part ends where the old archive begins.
    int previousJar = -1;
    try {
      ZipDirectory previous = ZipDirectory.read(launcher);
      if (previous.firstRecord >= (long) block + EmbeddedBlock.HEADER_SIZE + room)
        previousJar = previous.firstRecord;
    } catch (ZipDirectory.Unusable e) {
      // no jar of an earlier packing
    }
    String text = IniText.embeddedText(ini);
    if (jar != null || previousJar >= 0) text = IniText.withEmbeddedJar(text, jar != null);
    if ((long) text.length() * 2 > room)
      throw new PackException(Input.CONFIGURATION, "the configuration takes " + text.length() * 2L
          + " bytes as embedded text, but the launcher reserves only " + room);

    int launcherEnd = jar != null && previousJar >= 0 ? previousJar : launcher.length;
    byte[] appended = jar != null ? appendableJar(jar) : new byte[0];
    byte[] result = Arrays.copyOf(launcher, launcherEnd + appended.length);
    EmbeddedBlock.encode(text, result, block, EmbeddedBlock.HEADER_SIZE + room);
    System.arraycopy(appended, 0, result, launcherEnd, appended.length);
    if (kind == Kind.PE) PeImage.updateChecksum(result);
    return result;
  }

  private static PackException signed() {
    return new PackException(Input.LAUNCHER, "the launcher is signed; pack the unsigned launcher and sign the result");
  }

  /** Positions of the reserved block's marker in file. */
  static List<Integer> findMarkers(byte[] file) {
    byte[] marker = EmbeddedBlock.marker();
    List<Integer> found = new ArrayList<>();
    for (int at = 0; at + marker.length <= file.length; ++at) {
      if (file[at] == marker[0] && EmbeddedBlock.startsWithMarker(file, at)) found.add(at);
    }
    return found;
  }

  /**
   * The jar as it goes behind the launcher: from its first record on, its offsets counted from
   * there, as a jar of its own has them.
   */
  private static byte[] appendableJar(byte[] jar) throws PackException {
    try {
      return ZipDirectory.read(jar).detached(jar);
    } catch (ZipDirectory.Unusable e) {
      throw new PackException(Input.JAR, "the jar is not usable: " + e.getMessage());
    }
  }

  /**
   * Puts the icon in place of the launcher's: every RT_ICON image and icon group goes, the new
   * group takes the name and language of the first one.
   */
  private static void replaceIcon(byte[] file, ResourceTree tree) throws PackException {
    IconFile icon;
    try {
      icon = IconFile.read(file, 1);
    } catch (IconFile.Unusable e) {
      throw new PackException(Input.ICON, "the icon is not usable: " + e.getMessage());
    }
    Key groupName = Key.id(1);
    int language = US_ENGLISH;
    for (Resource resource : tree.resources) {
      if (resource.type.equals(Key.id(ResourceTree.RT_GROUP_ICON))) {
        groupName = resource.name;
        language = resource.language;
        break;
      }
    }
    tree.resources.removeIf(r -> r.type.equals(Key.id(ResourceTree.RT_ICON))
        || r.type.equals(Key.id(ResourceTree.RT_GROUP_ICON)));
    for (int i = 0; i < icon.images.size(); ++i)
      tree.resources.add(new Resource(Key.id(ResourceTree.RT_ICON), Key.id(1 + i), language, icon.images.get(i)));
    tree.resources.add(new Resource(Key.id(ResourceTree.RT_GROUP_ICON), groupName, language, icon.group));
  }

  private static boolean isSplash(Resource resource) {
    return resource.type.equals(Key.id(ResourceTree.RT_RCDATA)) && resource.name.equals(Key.id(SplashImage.RESOURCE_ID));
  }

  /** The image goes into a resource of its own as it is: the launcher decodes it with the system's decoder. */
  private static void replaceSplash(byte[] file, ResourceTree tree) throws PackException {
    try {
      SplashImage.size(file);
    } catch (SplashImage.Unusable e) {
      throw new PackException(Input.SPLASH, "the splash image is not usable: " + e.getMessage());
    }
    tree.resources.removeIf(Packer::isSplash);
    tree.resources.add(new Resource(Key.id(ResourceTree.RT_RCDATA), Key.id(SplashImage.RESOURCE_ID), US_ENGLISH, file));
  }

  private static int[] versionNumber(String text) throws PackException {
    int[] parts = VersionInfo.parseNumber(text);
    if (parts == null)
      throw new PackException(Input.VERSION,
          "the version \"" + text + "\" is not one to four numbers up to 65535 with dots between");
    return parts;
  }

  private static void replaceVersion(Identity identity, ResourceTree tree) throws PackException {
    VersionInfo info = new VersionInfo();
    String fileText = identity.fileVersion.isEmpty() ? identity.productVersion : identity.fileVersion;
    String productText = identity.productVersion.isEmpty() ? identity.fileVersion : identity.productVersion;
    String productNumbers = identity.productVersionNumbers.isEmpty() || identity.productVersion.isEmpty()
        ? productText : identity.productVersionNumbers;
    if (!fileText.isEmpty()) System.arraycopy(versionNumber(fileText), 0, info.fileVersion, 0, 4);
    if (!productNumbers.isEmpty()) System.arraycopy(versionNumber(productNumbers), 0, info.productVersion, 0, 4);
    String[][] strings = {
      {"CompanyName", identity.company},
      {"FileDescription", identity.description.isEmpty() ? identity.productName : identity.description},
      {"FileVersion", fileText},
      {"LegalCopyright", identity.copyright},
      {"OriginalFilename", identity.originalName},
      {"ProductName", identity.productName},
      {"ProductVersion", productText},
    };
    for (String[] entry : strings) {
      if (entry[1].isEmpty()) continue;
      if (entry[1].length() > LONGEST_VERSION_TEXT || entry[1].indexOf('\0') >= 0 || !wellFormed(entry[1]))
        throw new PackException(Input.VERSION, "the version text for " + entry[0]
            + " is no UTF-8, holds NUL or is longer than " + LONGEST_VERSION_TEXT + " characters");
      info.strings.add(entry);
    }
    tree.resources.removeIf(r -> r.type.equals(Key.id(ResourceTree.RT_VERSION)));
    tree.resources.add(new Resource(Key.id(ResourceTree.RT_VERSION), Key.id(1), US_ENGLISH, info.encode()));
  }

  private static void replaceExecutionLevel(String level, ResourceTree tree) throws PackException {
    if (!ExecutionLevel.isLevel(level))
      throw new PackException(Input.VERSION,
          "the execution level \"" + level + "\" is not asInvoker, highestAvailable or requireAdministrator");
    boolean set = false;
    for (Resource resource : tree.resources) {
      if (!resource.type.equals(Key.id(ResourceTree.RT_MANIFEST))) continue;
      byte[] edited = ExecutionLevel.set(resource.data, level);
      if (edited != null) resource.data = edited;
      set |= edited != null;
    }
    if (!set)
      throw new PackException(Input.LAUNCHER, "the launcher's manifest names no execution level to replace");
  }

  /** No lone surrogate: the text has a UTF-8 form. */
  private static boolean wellFormed(String text) {
    try {
      java.nio.charset.StandardCharsets.UTF_8.newEncoder().encode(java.nio.CharBuffer.wrap(text));
      return true;
    } catch (CharacterCodingException e) {
      return false;
    }
  }

  private static PackException uneditable(String why) {
    return new PackException(Input.LAUNCHER, "the launcher's resources cannot be edited: " + why);
  }

  /** The Windows path with an identity: the configuration goes into a resource of its own. */
  private static byte[] packWithResources(byte[] launcher, byte[] ini, byte[] jar, Identity identity)
      throws PackException {
    if (PeImage.directorySize(launcher, PeImage.CERTIFICATE_DIRECTORY) != 0) throw signed();
    ResourceTree tree;
    try {
      tree = PeImage.readResources(launcher);
    } catch (PeImage.Unusable | ResourceTree.Damaged e) {
      throw uneditable(e.getMessage());
    }
    Resource block = null;
    int blocks = 0;
    for (Resource resource : tree.resources) {
      if (resource.type.equals(Key.id(ResourceTree.RT_RCDATA))
          && resource.name.equals(Key.id(EmbeddedBlock.RESOURCE_ID))) {
        block = resource;
        ++blocks;
      }
    }
    if (blocks > 1)
      throw new PackException(Input.LAUNCHER, "the launcher holds " + blocks
          + " configuration resources, so the reserved space cannot be told apart");
    if (block == null || block.data.length < EmbeddedBlock.HEADER_SIZE
        || !EmbeddedBlock.startsWithMarker(block.data, 0))
      throw new PackException(Input.LAUNCHER, "the launcher has no space reserved for a configuration: not a Tarn launcher");
    // Whatever follows the image must be the jar of an earlier packing (checked below); it stays
    // unless a new one replaces it.
    int imageEnd = PeImage.imageEnd(launcher);
    String text = IniText.embeddedText(ini);
    if (jar != null || imageEnd < launcher.length) text = IniText.withEmbeddedJar(text, jar != null);
    // The resource grows to fit a larger text; it never shrinks below the reserved room, which
    // a later packing without an identity writes into.
    long textBytes = text.length() * 2L;
    if (textBytes > MOST_EMBEDDED_TEXT)
      throw new PackException(Input.CONFIGURATION, "the configuration takes " + textBytes
          + " bytes as embedded text, more than the " + MOST_EMBEDDED_TEXT + " an executable can carry");
    if (EmbeddedBlock.HEADER_SIZE + textBytes > block.data.length)
      block.data = Arrays.copyOf(block.data, EmbeddedBlock.HEADER_SIZE + (int) textBytes);
    EmbeddedBlock.encode(text, block.data, 0, block.data.length);
    if (identity.hasIcon()) replaceIcon(identity.icon, tree);
    if (identity.hasSplash()) replaceSplash(identity.splash, tree);
    if (identity.hasVersion()) replaceVersion(identity, tree);
    if (!identity.executionLevel.isEmpty()) replaceExecutionLevel(identity.executionLevel, tree);

    // The jar of an earlier packing moves behind the new resources.
    byte[] appended = new byte[0];
    if (imageEnd < launcher.length) {
      ZipDirectory previous = null;
      try {
        previous = ZipDirectory.read(launcher);
      } catch (ZipDirectory.Unusable e) {
        // refused below
      }
      if (previous == null || previous.firstRecord != imageEnd)
        throw new PackException(Input.LAUNCHER,
            "the launcher carries data after its image that is no jar of an earlier packing");
      if (jar == null) appended = previous.detached(launcher);
    }
    if (jar != null) appended = appendableJar(jar);
    byte[] image;
    try {
      image = PeImage.withResources(Arrays.copyOf(launcher, imageEnd), tree);
    } catch (PeImage.Unusable e) {
      throw uneditable(e.getMessage());
    }
    byte[] result = Arrays.copyOf(image, image.length + appended.length);
    System.arraycopy(appended, 0, result, image.length, appended.length);
    PeImage.updateChecksum(result);
    return result;
  }
}
