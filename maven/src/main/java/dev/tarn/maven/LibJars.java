package dev.tarn.maven;

import dev.tarn.pack.PackFiles;
import java.io.File;
import java.io.IOException;
import java.io.OutputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.time.Instant;
import java.util.ArrayList;
import java.util.HashSet;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.Set;
import org.apache.maven.artifact.Artifact;
import org.apache.maven.plugin.MojoFailureException;

/**
 * The jars of an assembled folder's lib/, in class path order: the project's jar, then its
 * runtime dependencies. Each goes under a name no other takes, also where names differ only in
 * case (the folder may be unpacked on Windows), and a dependency that is a folder of classes (a
 * reactor module's target/classes) goes as a jar made of it.
 */
final class LibJars {
  /** By name: a jar's File, or a folder's FolderTree. */
  private final Map<String, Object> jars = new LinkedHashMap<>();
  private final Set<String> taken = new HashSet<>();

  LibJars(File projectJar) {
    jars.put(freeName(projectJar.getName(), null), projectJar);
  }

  /** Adds a dependency; refused by name when its file is missing or its folder cannot be packed. */
  void add(Artifact dependency) throws MojoFailureException {
    File file = dependency.getFile();
    String what = "The dependency " + dependency.getId() + ": " + file;
    if (!file.isDirectory()) {
      if (!file.isFile()) throw new MojoFailureException(what + " is no file; build it first");
      jars.put(freeName(file.getName(), dependency.getGroupId()), file);
      return;
    }
    String classifier = dependency.getClassifier();
    String name = dependency.getArtifactId() + "-" + dependency.getVersion()
        + (classifier == null || classifier.isEmpty() ? "" : "-" + classifier) + ".jar";
    try {
      jars.put(freeName(name, dependency.getGroupId()), FolderTree.read(file.toPath()));
    } catch (FolderTree.Cycle e) {
      throw new MojoFailureException(what + " cannot be packed as a jar: " + e.getMessage());
    } catch (IOException e) {
      throw new MojoFailureException(what + " cannot be packed as a jar: " + PackFiles.describe(e));
    }
  }

  /**
   * The name wanted if it is free; else with the group in front; else numbered before its
   * extension. Characters that would split or change the class path (";", ":", "%") become "_".
   */
  String freeName(String wanted, String group) {
    String name = wanted.replaceAll("[;:%]", "_");
    if (!free(name) && group != null) name = (group + "-" + wanted).replaceAll("[;:%]", "_");
    int dot = name.lastIndexOf('.');
    String base = dot > 0 ? name.substring(0, dot) : name;
    String extension = dot > 0 ? name.substring(dot) : "";
    for (int n = 2; !free(name); ++n) name = base + "-" + n + extension;
    taken.add(name.toLowerCase(Locale.ROOT));
    return name;
  }

  private boolean free(String name) {
    return !taken.contains(name.toLowerCase(Locale.ROOT));
  }

  List<String> names() {
    return new ArrayList<>(jars.keySet());
  }

  /** What was left out of the folders packed as jars (broken links), each with the reason. */
  Iterable<String> skipped() {
    List<String> skipped = new ArrayList<>();
    for (Object source : jars.values()) if (source instanceof FolderTree) skipped.addAll(((FolderTree) source).skipped);
    return skipped;
  }

  /** Every jar into lib, each folder packed with the given time so that a build repeats its bytes. */
  void writeTo(Path lib, Instant when) throws IOException {
    for (Map.Entry<String, Object> jar : jars.entrySet()) {
      Path target = lib.resolve(jar.getKey());
      if (jar.getValue() instanceof File) {
        Files.copy(((File) jar.getValue()).toPath(), target);
      } else {
        try (OutputStream file = Files.newOutputStream(target); ZipWriter out = new ZipWriter(file, when)) {
          ((FolderTree) jar.getValue()).zip(out, "", (name, path) -> false);
        }
      }
    }
  }
}
