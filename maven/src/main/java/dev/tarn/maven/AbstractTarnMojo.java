package dev.tarn.maven;

import dev.tarn.pack.ExecutionLevel;
import dev.tarn.pack.Identity;
import dev.tarn.pack.PackException;
import dev.tarn.pack.PackFiles;
import dev.tarn.pack.Packer;
import java.io.File;
import java.io.IOException;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.jar.JarFile;
import java.util.jar.Manifest;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.apache.maven.artifact.Artifact;
import org.apache.maven.plugin.AbstractMojo;
import org.apache.maven.plugin.MojoExecutionException;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugins.annotations.Component;
import org.apache.maven.plugins.annotations.Parameter;
import org.apache.maven.project.MavenProject;
import org.apache.maven.project.MavenProjectHelper;
import org.apache.maven.settings.Settings;
import org.apache.maven.settings.crypto.SettingsDecrypter;

/** What both goals share: the launchers, the configuration and the version information. */
abstract class AbstractTarnMojo extends AbstractMojo {
  private static final Pattern LEADING_NUMBERS = Pattern.compile("^[0-9]+(\\.[0-9]+){0,3}");
  private static final int LONGEST_TEXT = 4000;

  @Parameter(defaultValue = "${project}", readonly = true, required = true)
  MavenProject project;

  @Component
  MavenProjectHelper projectHelper;

  /** windows-x64, windows-x64-window, windows-x86, windows-x86-window, linux-x64. */
  @Parameter(property = "tarn.launchers", defaultValue = "windows-x64")
  List<String> launchers;

  /** The executable's name, without ".exe". */
  @Parameter(property = "tarn.name", defaultValue = "${project.artifactId}")
  String name;

  /** Default: the jar manifest's Main-Class. */
  @Parameter(property = "tarn.mainClass")
  String mainClass;

  @Parameter(property = "tarn.minimumVersion")
  String minimumVersion;
  @Parameter(property = "tarn.maximumVersion")
  String maximumVersion;
  @Parameter(property = "tarn.vmParameters")
  String vmParameters;
  @Parameter(property = "tarn.jvmType")
  String jvmType;
  @Parameter(property = "tarn.singleInstance")
  Boolean singleInstance;
  @Parameter(property = "tarn.startupCache")
  Boolean startupCache;
  @Parameter(property = "tarn.applicationType")
  String applicationType;
  @Parameter(property = "tarn.productName")
  String productName;
  @Parameter(property = "tarn.productCode")
  String productCode;
  /** The taskbar's identity of the program's windows: at most 128 characters, no blanks. */
  @Parameter(property = "tarn.appUserModelId")
  String appUserModelId;
  /** The http or https address that the no-runtime message offers. */
  @Parameter(property = "tarn.downloadPage")
  String downloadPage;

  /** Any further keys; the parameters above win over the file's values. */
  @Parameter(property = "tarn.iniFile")
  File iniFile;

  /** Default: the numbers the project's version starts with, "2.5.1-SNAPSHOT" giving 2.5.1.0. */
  @Parameter(property = "tarn.fileVersion")
  String fileVersion;
  /** Default: the project's version. */
  @Parameter(property = "tarn.productVersion", defaultValue = "${project.version}")
  String productVersion;
  /** Default: the project's organization. */
  @Parameter(property = "tarn.companyName", defaultValue = "${project.organization.name}")
  String companyName;
  /** Default: the project's name. */
  @Parameter(property = "tarn.fileDescription", defaultValue = "${project.name}")
  String fileDescription;
  @Parameter(property = "tarn.copyright")
  String copyright;
  /** An .ico file for the Windows executables. */
  @Parameter(property = "tarn.icon")
  File icon;
  /** A PNG, GIF or BMP image the Windows executables show while Java starts. */
  @Parameter(property = "tarn.splash")
  File splash;
  /**
   * The Windows executables' manifest: asInvoker (the default), highestAvailable or
   * requireAdministrator.
   */
  @Parameter(property = "tarn.executionLevel")
  String executionLevel;

  /** Attach each output to the project, classified by its launcher id. */
  @Parameter(property = "tarn.attach", defaultValue = "true")
  boolean attach;

  @Parameter(property = "tarn.skip", defaultValue = "false")
  boolean skip;

  /** Signs the Windows executables (README, "Signing in the build"). */
  @Parameter
  Signing sign;

  @Parameter(defaultValue = "${settings}", readonly = true)
  Settings settings;

  @Component
  SettingsDecrypter settingsDecrypter;

  @Parameter(defaultValue = "${project.build.outputTimestamp}")
  String outputTimestamp;

  @Parameter(defaultValue = "${project.build.directory}/tarn", required = true)
  File outputDirectory;

  @Override
  public final void execute() throws MojoExecutionException, MojoFailureException {
    if (skip) {
      getLog().info("Skipped (tarn.skip)");
      return;
    }
    List<LauncherImage> chosen = new ArrayList<>();
    for (String id : launchers) {
      LauncherImage launcher = LauncherImage.byId(id.trim());
      if (launcher == null)
        throw bad("launchers", "names no launcher \"" + id.trim() + "\"; use " + LauncherImage.ids());
      if (!chosen.contains(launcher)) chosen.add(launcher);
    }
    if (chosen.isEmpty()) throw bad("launchers", "is empty; name at least one of " + LauncherImage.ids());
    checkName(name, chosen);
    run(chosen);
  }

  /** Refuses a name that is no file's, or whose executable would read itself as its INI file. */
  static void checkName(String name, List<LauncherImage> chosen) throws MojoFailureException {
    if (name.isEmpty() || name.equals(".") || name.equals("..") || name.matches(".*[/\\\\:*?\"<>|].*"))
      throw bad("name", "\"" + name + "\" is no file name; give one without / \\ : * ? \" < > |,"
          + " other than . and ..");
    for (LauncherImage launcher : chosen) {
      String executable = launcher.executableName(name);
      if (executable.equalsIgnoreCase(launcher.iniName(name)))
        throw bad("name", "\"" + name + "\" makes the " + launcher.id + " executable " + executable + ", which"
            + " the launcher would read as its own INI file (the executable's name with its extension"
            + " replaced by .ini); choose a name that does not end in .ini");
    }
  }

  abstract void run(List<LauncherImage> chosen) throws MojoExecutionException, MojoFailureException;

  /** Deletes what the goal writes for the launcher; false when nothing was there. */
  abstract boolean removeOutputs(LauncherImage launcher) throws IOException;

  /**
   * With {@code <sign>}, replaces each Windows executable by its signed bytes, all before the first
   * file is written. When signing fails those launchers' outputs go too, so that no unsigned file
   * of this build or an earlier one stays where a signed one belongs.
   */
  void signWindows(Map<LauncherImage, byte[]> executables) throws MojoFailureException {
    if (sign == null) return;
    try {
      // Loaded only here: a build that does not sign never touches jsign.
      Signer signer = Signer.open(sign, sign.passwords(settings, settingsDecrypter, System.getenv()),
          productName(), project.getUrl(), project.getBasedir());
      if (!signer.timestamps())
        getLog().warn("<sign> names no tsaurl: the signatures carry no timestamp and are valid only while the"
            + " certificate is");
      for (Map.Entry<LauncherImage, byte[]> entry : executables.entrySet()) {
        LauncherImage launcher = entry.getKey();
        if (launcher.windows()) entry.setValue(signer.sign(entry.getValue(), launcher.id + "/" + launcher.executableName(name)));
      }
    } catch (MojoFailureException e) {
      for (LauncherImage launcher : executables.keySet()) {
        if (!launcher.windows()) continue;
        try {
          if (removeOutputs(launcher))
            getLog().warn("Removed the last build's output for " + launcher.id + ", as this build cannot sign it");
        } catch (IOException removal) {
          getLog().error("The last build's output for " + launcher.id + " cannot be removed: "
              + PackFiles.describe(removal));
        }
      }
      throw e;
    }
  }

  static MojoFailureException bad(String parameter, String message) {
    return new MojoFailureException("<" + parameter + "> " + message);
  }

  /** The configuration: the INI file's keys, the parameters over them, and a main class. */
  IniSettings settings(File jar) throws MojoFailureException {
    IniSettings ini = new IniSettings();
    if (iniFile != null) {
      try {
        ini = IniSettings.parse(PackFiles.read(iniFile.getPath()));
      } catch (PackException e) {
        throw bad("iniFile", e.input() == PackException.Input.CONFIGURATION ? iniFile + ": " + e.getMessage()
            : e.getMessage());
      }
    }
    String main = mainClass;
    if (main == null && isEmpty(ini.get(IniSettings.RUNTIME, "Main Class"))) {
      main = manifestMainClass(jar);
      if (main == null)
        throw bad("mainClass", "is not set and " + jar.getName() + " names no Main-Class in its manifest;"
            + " set <mainClass> to the class whose main(String[]) starts the application");
    }
    Object[][] values = {
      {IniSettings.RUNTIME, "Main Class", main, "mainClass"},
      {IniSettings.RUNTIME, "Minimum Version", minimumVersion, "minimumVersion"},
      {IniSettings.RUNTIME, "Maximum Version", maximumVersion, "maximumVersion"},
      {IniSettings.RUNTIME, "Virtual Machine Parameters", vmParameters, "vmParameters"},
      {IniSettings.RUNTIME, "JVM Type", jvmType, "jvmType"},
      {IniSettings.RUNTIME, "Startup Cache", yesNo(startupCache, "Yes"), "startupCache"},
      {IniSettings.APPLICATION, "Application Type", applicationType, "applicationType"},
      {IniSettings.APPLICATION, "Single Instance", yesNo(singleInstance, "yes"), "singleInstance"},
      {IniSettings.PRODUCT, "Product Name", productName, "productName"},
      {IniSettings.PRODUCT, "Product Code", productCode, "productCode"},
      {IniSettings.APPLICATION, "App User Model ID", appUserModelId, "appUserModelId"},
      {IniSettings.RUNTIME, "Download Page", downloadPage, "downloadPage"},
    };
    for (Object[] value : values) {
      String text = (String) value[2];
      if (text != null && (text.indexOf('\n') >= 0 || text.indexOf('\r') >= 0 || text.indexOf('\0') >= 0))
        throw bad((String) value[3], "holds a line break or NUL; give the value on one line");
      ini.set((String) value[0], (String) value[1], text);
    }
    if (jvmType != null && !jvmType.equals("server") && !jvmType.equals("favor_server"))
      throw bad("jvmType", "\"" + jvmType + "\" is neither server nor favor_server");
    if (appUserModelId != null && (appUserModelId.length() > 128 || appUserModelId.matches(".*\\s.*")))
      throw bad("appUserModelId", "\"" + appUserModelId + "\" is longer than 128 characters or holds a blank,"
          + " which Windows refuses; give one such as Example.Viewer");
    if (downloadPage != null && !downloadPage.matches("(?i)https?://.+"))
      throw bad("downloadPage", "\"" + downloadPage + "\" is no http or https address");
    if (applicationType != null && !applicationType.equals("service"))
      throw bad("applicationType", "\"" + applicationType + "\" is not service, the one type there is"
          + " besides a plain application (leave it out for that)");
    return ini;
  }

  private static boolean isEmpty(String text) {
    return text == null || text.isEmpty();
  }

  private static String yesNo(Boolean value, String yes) {
    return value == null ? null : value ? yes : "no";
  }

  private static String manifestMainClass(File jar) {
    try (JarFile file = new JarFile(jar)) {
      Manifest manifest = file.getManifest();
      String main = manifest == null ? null : manifest.getMainAttributes().getValue("Main-Class");
      return main == null || main.trim().isEmpty() ? null : main.trim();
    } catch (IOException e) {
      return null;
    }
  }

  /** The version information and icon of a Windows executable; nothing for Linux. */
  Identity identity(LauncherImage launcher, String fileName) throws MojoFailureException {
    Identity identity = new Identity();
    if (!launcher.windows()) return identity;
    String version = project.getVersion();
    if (fileVersion != null) {
      if (!Identity.isVersionNumber(fileVersion))
        throw bad("fileVersion", "\"" + fileVersion + "\" is not one to four numbers up to 65535 with dots"
            + " between, such as 2.5.1");
      identity.fileVersion = fileVersion;
    } else {
      String numbers = leadingNumbers(version);
      if (numbers == null)
        throw bad("fileVersion", "is not set and the project's version \"" + version + "\" does not start"
            + " with one to four numbers up to 65535; set <fileVersion>, such as 2.5.1");
      identity.fileVersion = (numbers + ".0.0.0").replaceFirst("^((?:[0-9]+\\.){3}[0-9]+).*", "$1");
    }
    identity.productVersion = text("productVersion", productVersion);
    if (!identity.productVersion.isEmpty() && !Identity.isVersionNumber(identity.productVersion)) {
      String numbers = leadingNumbers(identity.productVersion);
      if (numbers == null)
        throw bad("productVersion", "\"" + identity.productVersion + "\" does not start with one to four"
            + " numbers up to 65535, such as 2.5.1-beta");
      identity.productVersionNumbers = numbers;
    }
    identity.company = text("companyName", companyName);
    identity.description = text("fileDescription", fileDescription);
    identity.productName = text("productName", productName());
    identity.copyright = text("copyright", copyright);
    identity.originalName = fileName;
    if (executionLevel != null) {
      if (!ExecutionLevel.isLevel(executionLevel))
        throw bad("executionLevel", "\"" + executionLevel + "\" is not asInvoker, highestAvailable or"
            + " requireAdministrator");
      identity.executionLevel = executionLevel;
    }
    if (icon != null) {
      try {
        identity.icon = PackFiles.read(icon.getPath());
      } catch (PackException e) {
        throw bad("icon", e.getMessage() + "; give an .ico file");
      }
    }
    if (splash != null) {
      try {
        identity.splash = PackFiles.read(splash.getPath());
      } catch (PackException e) {
        throw bad("splash", e.getMessage() + "; give a PNG, GIF or BMP file");
      }
    }
    return identity;
  }

  /** The version information's product name, and the signature's program name. */
  private String productName() {
    return productName != null ? productName : project.getName();
  }

  private static String text(String parameter, String value) throws MojoFailureException {
    if (value == null) return "";
    if (value.length() > LONGEST_TEXT || value.indexOf('\0') >= 0)
      throw bad(parameter, "is longer than " + LONGEST_TEXT + " characters or holds NUL");
    return value;
  }

  /** "2.5.1" of "2.5.1-SNAPSHOT"; null when the text starts with no version number. */
  static String leadingNumbers(String version) {
    Matcher matcher = LEADING_NUMBERS.matcher(version == null ? "" : version);
    if (!matcher.find() || !Identity.isVersionNumber(matcher.group())) return null;
    return matcher.group();
  }

  /** The launcher packed; refusals name the parameter at fault. */
  byte[] pack(LauncherImage launcher, byte[] ini, File jar, byte[] jarBytes, Identity identity)
      throws MojoExecutionException, MojoFailureException {
    byte[] image;
    try {
      image = launcher.image();
    } catch (IOException e) {
      throw new MojoExecutionException("The plugin's launcher " + launcher.id + " cannot be read", e);
    }
    if (image == null)
      throw new MojoExecutionException("The plugin's jar lacks the launcher " + launcher.id + ": it was built"
          + " without the launchers' images");
    try {
      return Packer.pack(image, ini, jarBytes, identity);
    } catch (PackException e) {
      switch (e.input()) {
        case ICON:
          throw bad("icon", icon + ": " + e.getMessage() + "; give an .ico file of PNG or bitmap images");
        case SPLASH:
          throw bad("splash", splash + ": " + e.getMessage() + "; give a PNG, GIF or BMP file of at most 4096 x 4096 pixels");
        case JAR:
          throw bad("jar", jar + ": " + e.getMessage() + "; give a jar (zip) file");
        case CONFIGURATION:
          throw new MojoFailureException("The configuration for " + launcher.id + ": " + e.getMessage());
        default:
          throw new MojoExecutionException(launcher.id + ": " + e.getMessage());
      }
    }
  }

  /** The project's own jar: made earlier in the package phase, or by an earlier build. */
  File projectJar() throws MojoFailureException {
    File file = project.getArtifact().getFile();
    if (file == null) {
      file = new File(project.getBuild().getDirectory(), project.getBuild().getFinalName() + ".jar");
    }
    if (!file.isFile())
      throw new MojoFailureException("The project has no jar yet: bind the goal to the package phase"
          + " (after the jar plugin), run it after mvn package, or name a jar with <jar>");
    return file;
  }

  /** The compile and runtime dependencies, in the order Maven resolved them. */
  List<Artifact> runtimeDependencies() {
    List<Artifact> dependencies = new ArrayList<>();
    for (Artifact artifact : project.getArtifacts()) {
      String scope = artifact.getScope();
      if ((Artifact.SCOPE_COMPILE.equals(scope) || Artifact.SCOPE_RUNTIME.equals(scope))
          && artifact.getArtifactHandler().isAddedToClasspath() && artifact.getFile() != null)
        dependencies.add(artifact);
    }
    return dependencies;
  }

  /** Made by the first file written into it. */
  File outputFolder(LauncherImage launcher) {
    return new File(outputDirectory, launcher.id);
  }

  void attach(File file, String type, LauncherImage launcher) {
    if (attach) projectHelper.attachArtifact(project, type, launcher.id, file);
  }
}
