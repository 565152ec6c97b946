package dev.tarn.pack;

import dev.tarn.pack.PackException.Input;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.lang.management.ManagementFactory;
import java.nio.ByteBuffer;
import java.nio.channels.FileChannel;
import java.nio.file.AccessDeniedException;
import java.nio.file.FileAlreadyExistsException;
import java.nio.file.FileSystemException;
import java.nio.file.Files;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.nio.file.StandardOpenOption;
import java.nio.file.attribute.PosixFilePermission;
import java.util.EnumSet;
import java.util.Set;

/**
 * tarn-pack's work on files: the inputs read whole, refusals worded with the file at fault, and
 * the output written beside its place and put there in one step. Never changes its inputs.
 */
public final class PackFiles {
  private PackFiles() {}

  /** Packs as {@link #pack(String, String, String, String, String, Identity, String)} without a splash. */
  public static void pack(String launcher, String ini, String jar, String icon, Identity identity,
      String output) throws PackException {
    pack(launcher, ini, jar, icon, null, identity, output);
  }

  /**
   * Packs as {@code tarn-pack LAUNCHER INI [JAR] [--icon ICON] [--splash IMAGE] ... -o OUTPUT} does.
   *
   * @param jar the jar to append, or null
   * @param icon the .ico file, or null
   * @param splash the splash image, or null
   * @param identity the version texts (its icon and splash are read from the files), or null; the
   *     original name defaults to the output's file name
   */
  public static void pack(String launcher, String ini, String jar, String icon, String splash,
      Identity identity, String output) throws PackException {
    String[] inputs = jar == null ? new String[] {launcher, ini} : new String[] {launcher, ini, jar};
    for (String input : inputs) refuseSame(input, output);
    if (icon != null) refuseSame(icon, output);
    if (splash != null) refuseSame(splash, output);
    byte[] launcherBytes = read(launcher);
    byte[] iniBytes = read(ini);
    byte[] jarBytes = jar == null ? null : read(jar);
    Identity chosen = identity == null ? new Identity() : identity;
    if (icon != null) chosen.icon = read(icon);
    if (splash != null) chosen.splash = read(splash);
    if (chosen.hasVersion() && chosen.originalName.isEmpty())
      chosen.originalName = fileNameOf(output, File.separatorChar == '\\');
    byte[] packed;
    try {
      packed = Packer.pack(launcherBytes, iniBytes, jarBytes, chosen);
    } catch (PackException e) {
      String culprit;
      switch (e.input()) {
        case VERSION:
          throw e;
        case JAR:
          culprit = jar;
          break;
        case CONFIGURATION:
          culprit = ini;
          break;
        case ICON:
          culprit = icon;
          break;
        case SPLASH:
          culprit = splash;
          break;
        default:
          culprit = launcher;
      }
      throw new PackException(e.input(), culprit + ": " + e.getMessage());
    }
    replaceFile(output, packed, launcher);
  }

  private static void refuseSame(String input, String output) throws PackException {
    if (sameFile(input, output))
      throw new PackException(Input.FILE, "the output " + output + " is one of the inputs; choose another name");
  }

  /** Both names lead to one existing file, or, where either is missing, spell one full path. */
  static boolean sameFile(String a, String b) {
    Path first = Paths.get(a);
    Path second = Paths.get(b);
    try {
      if (Files.isSameFile(first, second)) return true;
    } catch (IOException | SecurityException e) {
      // one of them is missing: compare the paths
    }
    return weaklyCanonical(first).equals(weaklyCanonical(second));
  }

  /** The real path of the longest part that exists, the rest appended as written. */
  private static Path weaklyCanonical(Path path) {
    Path absolute = path.toAbsolutePath().normalize();
    Path existing = absolute;
    while (existing != null && !Files.exists(existing)) existing = existing.getParent();
    if (existing == null) return absolute;
    try {
      return existing.toRealPath().resolve(existing.relativize(absolute)).normalize();
    } catch (IOException e) {
      return absolute;
    }
  }

  /** The last component of a path; with Windows rules also after "\" or a drive's "X:". */
  static String fileNameOf(String path, boolean windowsRules) {
    int start = path.lastIndexOf('/');
    if (windowsRules) {
      start = Math.max(start, path.lastIndexOf('\\'));
      char drive = path.isEmpty() ? 0 : (char) (path.charAt(0) | 0x20);
      if (start < 0 && path.length() >= 2 && path.charAt(1) == ':' && drive >= 'a' && drive <= 'z')
        start = 1;
    }
    return path.substring(start + 1);
  }

  /** A file's bytes, or the native tool's refusal naming it. */
  public static byte[] read(String path) throws PackException {
    Path file = Paths.get(path);
    if (Files.isDirectory(file)) throw new PackException(Input.FILE, path + ": is a folder");
    InputStream in;
    try {
      in = Files.newInputStream(file);
    } catch (IOException e) {
      throw fileError(path, "cannot be read", e);
    }
    try (InputStream stream = in) {
      return readAll(stream);
    } catch (IOException e) {
      throw fileError(path, "read error", e);
    }
  }

  /** "&lt;path&gt;: &lt;what&gt;: &lt;reason&gt;", as tarn-pack words a file error. */
  private static PackException fileError(String path, String what, IOException e) {
    return new PackException(Input.FILE, path + ": " + what + ": " + reason(e));
  }

  /** The rest of a stream. */
  public static byte[] readAll(InputStream in) throws IOException {
    java.io.ByteArrayOutputStream bytes = new java.io.ByteArrayOutputStream();
    byte[] buffer = new byte[65536];
    for (int n; (n = in.read(buffer)) > 0; ) bytes.write(buffer, 0, n);
    return bytes.toByteArray();
  }

  /**
   * Makes path hold exactly bytes: written to a new file in the same folder, then put in place
   * in one step, so that an existing file of that name stays whole until then. Missing folders
   * above it are created. Where the system
   * has POSIX permissions the file gets those of like (when it exists) and is executable by its
   * owner; without like it is executable by all and writable by its owner.
   */
  public static void replaceFile(String path, byte[] bytes, String like) throws PackException {
    Path target = Paths.get(path);
    if (Files.isDirectory(target)) throw new PackException(Input.FILE, path + ": is a folder");
    Path above = target.getParent();
    IOException folderFailure = above == null || Files.isDirectory(above) ? null : createFolders(above);
    if (folderFailure != null) throw fileError(path, "its folder cannot be created", folderFailure);
    Set<PosixFilePermission> mode = EnumSet.of(PosixFilePermission.OWNER_READ,
        PosixFilePermission.OWNER_WRITE, PosixFilePermission.OWNER_EXECUTE);
    try {
      if (like != null) mode.addAll(Files.getPosixFilePermissions(Paths.get(like)));
      else mode.addAll(EnumSet.of(PosixFilePermission.GROUP_READ, PosixFilePermission.GROUP_EXECUTE,
          PosixFilePermission.OTHERS_READ, PosixFilePermission.OTHERS_EXECUTE));
    } catch (IOException | UnsupportedOperationException e) {
      // owner-only, as for a launcher that cannot be examined
    }
    // A name of our own beside the target: a move within one folder is one step, and no input
    // can be overwritten by chance.
    Path folder = target.toAbsolutePath().getParent();
    Path temporary = null;
    FileChannel channel = null;
    IOException failure = null;
    for (int attempt = 0; channel == null && attempt < 100; ++attempt) {
      temporary = folder.resolve(".tarn-pack-" + processId() + "-" + attempt);
      try {
        channel = FileChannel.open(temporary, StandardOpenOption.CREATE_NEW, StandardOpenOption.WRITE);
      } catch (FileAlreadyExistsException e) {
        failure = e;  // next name
      } catch (IOException e) {
        failure = e;
        break;
      }
    }
    if (channel == null) throw fileError(path, "cannot be written", failure);
    try (FileChannel out = channel) {
      ByteBuffer buffer = ByteBuffer.wrap(bytes);
      while (buffer.hasRemaining()) out.write(buffer);
      out.force(true);
      setPermissions(temporary, mode);
    } catch (IOException e) {
      deleteQuietly(temporary);
      throw fileError(path, "write error", e);
    }
    try {
      Files.move(temporary, target, StandardCopyOption.ATOMIC_MOVE, StandardCopyOption.REPLACE_EXISTING);
    } catch (IOException e) {
      deleteQuietly(temporary);
      throw new PackException(Input.FILE, path + ": " + reason(e));
    }
    // The new name is durable once its folder is; not every system lets a folder be synced.
    try (FileChannel directory = FileChannel.open(folder, StandardOpenOption.READ)) {
      directory.force(true);
    } catch (IOException e) {
      // durable at the system's next flush
    }
  }

  /**
   * The folder and those above it that are missing; null, or why the first could not be made.
   * Something else of that name is left for the file's creation to report.
   */
  private static IOException createFolders(Path folder) {
    IOException failure = createFolder(folder);
    Path above = folder.getParent();
    if (!(failure instanceof NoSuchFileException) || above == null) return failure;
    failure = createFolders(above);
    return failure != null ? failure : createFolder(folder);
  }

  /** Null when the folder was made or its name is taken. */
  private static IOException createFolder(Path folder) {
    try {
      Files.createDirectory(folder);
    } catch (FileAlreadyExistsException e) {
      // a folder, or something else that the file's creation reports
    } catch (IOException e) {
      return e;
    }
    return null;
  }

  private static void setPermissions(Path file, Set<PosixFilePermission> mode) throws IOException {
    try {
      Files.setPosixFilePermissions(file, mode);
    } catch (UnsupportedOperationException e) {
      // no POSIX permissions on this file system
    }
  }

  /**
   * The system's words for why a file operation failed, as the exception carries them; the
   * exceptions that carry none are named by what they mean.
   */
  static String reason(IOException e) {
    if (e instanceof AccessDeniedException) return "Permission denied";
    if (e instanceof NoSuchFileException) return "No such file or directory";
    if (e instanceof FileAlreadyExistsException) return "File exists";
    if (e instanceof FileSystemException)
      return ((FileSystemException) e).getReason() != null ? ((FileSystemException) e).getReason()
          : e.getClass().getSimpleName();
    return e.getMessage() == null ? e.getClass().getSimpleName() : e.getMessage();
  }

  /** "&lt;file&gt;: &lt;reason&gt;" for an error about a file, else the reason alone. */
  public static String describe(IOException e) {
    String file = e instanceof FileSystemException ? ((FileSystemException) e).getFile() : null;
    return (file == null ? "" : file + ": ") + reason(e);
  }

  private static void deleteQuietly(Path file) {
    try {
      Files.deleteIfExists(file);
    } catch (IOException e) {
      // left for the user: its name says where it came from
    }
  }

  private static String processId() {
    String name = ManagementFactory.getRuntimeMXBean().getName();
    int at = name.indexOf('@');
    return at > 0 ? name.substring(0, at) : name;
  }
}
