package dev.tarn.maven;

import java.io.IOException;
import java.io.InputStream;
import java.nio.file.FileSystemLoopException;
import java.nio.file.FileVisitOption;
import java.nio.file.FileVisitResult;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.SimpleFileVisitor;
import java.nio.file.StandardCopyOption;
import java.nio.file.attribute.BasicFileAttributes;
import java.util.ArrayList;
import java.util.EnumSet;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;

/**
 * A folder's files as a copy or an archive of it holds them. A link stands for what it leads to:
 * a runtime's legal/ is often links to folders, and a copy of the links would point nowhere once
 * shipped. A link back to a folder that holds it is refused; a broken link, and anything that is
 * neither a file nor a folder, is left out and named in {@link #skipped}.
 */
final class FolderTree {
  /** A link that leads back to a folder holding it, whose copy would never end. */
  static final class Cycle extends IOException {
    Cycle(Path link) {
      super(link + " is a link back to a folder that holds it, so its copy would never end");
    }
  }

  /**
   * Below the root, "/" between names and after a folder's, sorted; the root is "", which sorts
   * first, ahead of a name such as ".hidden" that sorts before "/".
   */
  private final Map<String, Path> entries = new TreeMap<>();
  /** What was left out, each with the reason. */
  final List<String> skipped = new ArrayList<>();

  /** Whether a file goes into an archive as executable. */
  interface Executable {
    boolean test(String name, Path file) throws IOException;
  }

  private FolderTree() {}

  static FolderTree read(Path root) throws IOException {
    FolderTree tree = new FolderTree();
    Path[] cycle = {null};
    Files.walkFileTree(root, EnumSet.of(FileVisitOption.FOLLOW_LINKS), Integer.MAX_VALUE,
        new SimpleFileVisitor<Path>() {
          @Override
          public FileVisitResult preVisitDirectory(Path folder, BasicFileAttributes attributes) {
            String name = name(root, folder);
            tree.entries.put(name.isEmpty() ? "" : name + "/", folder);
            return FileVisitResult.CONTINUE;
          }

          @Override
          public FileVisitResult visitFile(Path file, BasicFileAttributes attributes) {
            // Links are followed, so a link seen as one leads nowhere.
            if (attributes.isRegularFile()) tree.entries.put(name(root, file), file);
            else if (attributes.isSymbolicLink()) tree.skipped.add(file + ": a link to " + target(file) + ", which does not exist");
            else tree.skipped.add(file + ": neither a file nor a folder");
            return FileVisitResult.CONTINUE;
          }

          @Override
          public FileVisitResult visitFileFailed(Path file, IOException e) throws IOException {
            if (!(e instanceof FileSystemLoopException)) throw e;
            cycle[0] = file;
            return FileVisitResult.TERMINATE;
          }
        });
    if (cycle[0] != null) throw new Cycle(cycle[0]);
    return tree;
  }

  private static String name(Path root, Path file) {
    StringBuilder name = new StringBuilder();
    for (Path part : root.relativize(file)) name.append(name.length() > 0 ? "/" : "").append(part);
    return name.toString();
  }

  private static String target(Path link) {
    try {
      return Files.readSymbolicLink(link).toString();
    } catch (IOException | UnsupportedOperationException e) {
      return "a file";
    }
  }

  /** The files and folders into target, which may exist. */
  void copyTo(Path target) throws IOException {
    for (Map.Entry<String, Path> entry : entries.entrySet()) {
      String name = entry.getKey();
      if (name.isEmpty()) Files.createDirectories(target);
      else if (name.endsWith("/")) Files.createDirectories(target.resolve(name.substring(0, name.length() - 1)));
      else Files.copy(entry.getValue(), target.resolve(name), StandardCopyOption.COPY_ATTRIBUTES);
    }
  }

  /**
   * Every entry under top/ (at the archive's root for ""), in name order, so that the same files
   * give the same bytes.
   *
   * @param executable given an entry's name below the root and its file
   */
  void zip(ZipWriter out, String top, Executable executable) throws IOException {
    String prefix = top.isEmpty() ? "" : top + "/";
    for (Map.Entry<String, Path> entry : entries.entrySet()) {
      String name = entry.getKey();
      if (name.isEmpty()) {
        if (!top.isEmpty()) out.folder(top);
      } else if (name.endsWith("/")) {
        out.folder(prefix + name.substring(0, name.length() - 1));
      } else {
        try (InputStream in = Files.newInputStream(entry.getValue())) {
          out.file(prefix + name, in, executable.test(name, entry.getValue()));
        }
      }
    }
  }
}
