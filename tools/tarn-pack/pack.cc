#include "pack.h"

#include <algorithm>
#include <cstring>

#include "config/embedded_config.h"
#include "icon_file.h"
#include "ini_text.h"
#include "manifest.h"
#include "os/little_endian.h"
#include "os/unicode.h"
#include "pe_resources.h"
#include "splash/splash_image.h"
#include "version_info.h"
#include "zip_directory.h"

namespace tarn {

namespace {

uint32_t read32(const Bytes& b, size_t at) { return readLittle32(&b[at]); }
void write32(Bytes& b, size_t at, uint32_t value) { writeLittle32(&b[at], value); }

constexpr uint16_t kUsEnglish = 0x409;
constexpr size_t kLongestVersionText = 4000;
constexpr size_t kMostEmbeddedText = 16 * 1024 * 1024;

// The jar as it goes behind the launcher: from its first record on, with
// its offsets counted from there, as a jar of its own has them. Only that
// layout reads in the JDK once a signature follows the archive.
bool appendableJar(const Bytes& jar, Bytes* appendable, std::string* error) {
  ZipDirectory directory;
  std::string why;
  if (!readZipDirectory(jar.data(), jar.size(), &directory, &why)) {
    *error = "the jar is not usable: " + why;
    return false;
  }
  *appendable = detachedZip(jar.data(), jar.size(), directory);
  return true;
}

// Puts the icon in place of the launcher's: every RT_ICON image and icon
// group goes, the new group takes the name and language of the first one.
bool replaceIcon(const Bytes& file, ResourceTree* tree, std::string* error) {
  IconResources icon;
  if (!readIconFile(file, 1, &icon, error)) {
    *error = "the icon is not usable: " + *error;
    return false;
  }
  ResourceKey groupName = resourceId(1);
  uint16_t language = kUsEnglish;
  for (const Resource& resource : tree->resources) {
    if (resource.type == resourceId(kRtGroupIcon)) {
      groupName = resource.name;
      language = resource.language;
      break;
    }
  }
  auto& all = tree->resources;
  all.erase(std::remove_if(all.begin(), all.end(), [](const Resource& r) {
              return r.type == resourceId(kRtIcon) || r.type == resourceId(kRtGroupIcon);
            }), all.end());
  for (size_t i = 0; i < icon.images.size(); ++i) {
    Resource image;
    image.type = resourceId(kRtIcon);
    image.name = resourceId(static_cast<uint16_t>(1 + i));
    image.language = language;
    image.data = std::move(icon.images[i]);
    all.push_back(std::move(image));
  }
  Resource group;
  group.type = resourceId(kRtGroupIcon);
  group.name = groupName;
  group.language = language;
  group.data = std::move(icon.group);
  all.push_back(std::move(group));
  return true;
}

bool replaceVersion(const Identity& identity, ResourceTree* tree, std::string* error) {
  VersionInfo info;
  const std::string& fileText = identity.fileVersion.empty() ? identity.productVersion : identity.fileVersion;
  const std::string& productText = identity.productVersion.empty() ? identity.fileVersion : identity.productVersion;
  if (!fileText.empty() && !parseVersionNumber(fileText, info.fileVersion)) {
    *error = "the version \"" + fileText + "\" is not one to four numbers up to 65535 with dots between";
    return false;
  }
  if (!productText.empty() && !parseVersionNumber(productText, info.productVersion)) {
    *error = "the version \"" + productText + "\" is not one to four numbers up to 65535 with dots between";
    return false;
  }
  const std::pair<const char16_t*, const std::string*> strings[] = {
      {u"CompanyName", &identity.company},
      {u"FileDescription", identity.description.empty() ? &identity.productName : &identity.description},
      {u"FileVersion", &fileText},
      {u"LegalCopyright", &identity.copyright},
      {u"OriginalFilename", &identity.originalName},
      {u"ProductName", &identity.productName},
      {u"ProductVersion", &productText},
  };
  for (const auto& entry : strings) {
    if (entry.second->empty()) continue;
    std::u16string value;
    if (!utf8ToUtf16(*entry.second, &value) || value.size() > kLongestVersionText ||
        value.find(u'\0') != std::u16string::npos) {
      *error = "the version text for " + utf16ToUtf8(entry.first) +
               " is no UTF-8, holds NUL or is longer than " + std::to_string(kLongestVersionText) +
               " characters";
      return false;
    }
    info.strings.emplace_back(entry.first, value);
  }
  auto& all = tree->resources;
  all.erase(std::remove_if(all.begin(), all.end(),
                           [](const Resource& r) { return r.type == resourceId(kRtVersion); }),
            all.end());
  Resource version;
  version.type = resourceId(kRtVersion);
  version.name = resourceId(1);
  version.language = kUsEnglish;
  version.data = encodeVersionInfo(info);
  all.push_back(std::move(version));
  return true;
}

bool isSplash(const Resource& resource) {
  return resource.type == resourceId(kRtRcdata) && resource.name == resourceId(TARN_SPLASH_ID);
}

// The image goes into a resource of its own as it is: the launcher decodes
// it with the system's own decoder.
bool replaceSplash(const Bytes& file, ResourceTree* tree, std::string* error) {
  SplashImageInfo info;
  if (!readSplashImageInfo(file.data(), file.size(), &info, error)) {
    *error = "the splash image is not usable: " + *error;
    return false;
  }
  auto& all = tree->resources;
  all.erase(std::remove_if(all.begin(), all.end(), isSplash), all.end());
  Resource splash;
  splash.type = resourceId(kRtRcdata);
  splash.name = resourceId(TARN_SPLASH_ID);
  splash.language = kUsEnglish;
  splash.data = file;
  all.push_back(std::move(splash));
  return true;
}

bool replaceExecutionLevel(const std::string& level, ResourceTree* tree, std::string* error) {
  if (!isExecutionLevel(level)) {
    *error = "the execution level \"" + level +
             "\" is not asInvoker, highestAvailable or requireAdministrator";
    return false;
  }
  bool set = false;
  for (Resource& resource : tree->resources)
    if (resource.type == resourceId(kRtManifest)) set = setExecutionLevel(&resource.data, level) || set;
  if (!set) *error = "the launcher's manifest names no execution level to replace";
  return set;
}

// The Windows path with an identity: the resource tree is read, changed and
// written back, the configuration going into its own resource.
bool packWithResources(const PackInput& input, Bytes* output, std::string* error) {
  const Bytes& launcher = input.launcher;
  if (peDirectorySize(launcher, kCertificateDirectory) != 0) {
    *error = "the launcher is signed; pack the unsigned launcher and sign the result";
    return false;
  }
  ResourceTree tree;
  std::string why;
  if (!readImageResources(launcher, &tree, &why)) {
    *error = "the launcher's resources cannot be edited: " + why;
    return false;
  }
  Resource* block = nullptr;
  size_t blocks = 0;
  for (Resource& resource : tree.resources) {
    if (resource.type == resourceId(kRtRcdata) && resource.name == resourceId(TARN_EMBEDDED_CONFIG_ID)) {
      block = &resource;
      ++blocks;
    }
  }
  if (blocks > 1) {
    *error = "the launcher holds " + std::to_string(blocks) +
             " configuration resources, so the reserved space cannot be told apart";
    return false;
  }
  const auto marker = embeddedMarker();
  if (block == nullptr || block->data.size() < kEmbeddedHeaderSize ||
      !std::equal(marker.begin(), marker.end(), block->data.begin())) {
    *error = "the launcher has no space reserved for a configuration: not a Tarn launcher";
    return false;
  }
  // Whatever follows the image must be the jar of an earlier packing (checked
  // below); it stays unless a new one replaces it.
  const size_t imageEnd = peImageEnd(launcher);
  std::u16string text;
  if (!embeddedTextFromIni(input.ini, &text, error)) return false;
  if ((input.hasJar || imageEnd < launcher.size()) && !withEmbeddedJar(&text, input.hasJar, error))
    return false;
  // The resource grows to fit a larger text; it never shrinks below the
  // reserved room, which a later packing without an identity writes into.
  if (text.size() * 2 > kMostEmbeddedText) {
    *error = "the configuration takes " + std::to_string(text.size() * 2) +
             " bytes as embedded text, more than the " + std::to_string(kMostEmbeddedText) +
             " an executable can carry";
    return false;
  }
  if (kEmbeddedHeaderSize + text.size() * 2 > block->data.size())
    block->data.resize(kEmbeddedHeaderSize + text.size() * 2);
  encodeEmbeddedBlock(text, block->data.data(), block->data.size());
  if (input.identity.hasIcon && !replaceIcon(input.identity.icon, &tree, error)) return false;
  if (input.identity.hasSplash && !replaceSplash(input.identity.splash, &tree, error)) return false;
  if (input.identity.hasVersion() && !replaceVersion(input.identity, &tree, error)) return false;
  if (!input.identity.executionLevel.empty() &&
      !replaceExecutionLevel(input.identity.executionLevel, &tree, error))
    return false;

  // The jar of an earlier packing moves behind the new resources.
  Bytes jar;
  if (imageEnd < launcher.size()) {
    ZipDirectory previous;
    std::string ignored;
    if (!readZipDirectory(launcher.data(), launcher.size(), &previous, &ignored) ||
        previous.firstRecord != imageEnd) {
      *error = "the launcher carries data after its image that is no jar of an earlier packing";
      return false;
    }
    if (!input.hasJar) jar = detachedZip(launcher.data(), launcher.size(), previous);
  }
  if (input.hasJar && !appendableJar(input.jar, &jar, error)) return false;
  Bytes result(launcher.begin(), launcher.begin() + static_cast<long>(imageEnd));
  if (!writeImageResources(&result, tree, &why)) {
    *error = "the launcher's resources cannot be edited: " + why;
    return false;
  }
  result.insert(result.end(), jar.begin(), jar.end());
  const size_t field = peChecksumField(result);
  if (read32(result, field) != 0) write32(result, field, peChecksum(result, field));
  *output = std::move(result);
  return true;
}

}  // namespace

bool Identity::hasVersion() const {
  return !fileVersion.empty() || !productVersion.empty() || !productName.empty() || !company.empty() ||
         !description.empty() || !copyright.empty() || !originalName.empty();
}

ExecutableKind executableKind(const Bytes& file) {
  if (peHeader(file) != 0) return ExecutableKind::Pe;
  if (file.size() >= 64 && std::memcmp(file.data(), "\x7f" "ELF", 4) == 0)
    return ExecutableKind::Elf;
  return ExecutableKind::Unknown;
}

std::vector<size_t> findMarkers(const Bytes& file) {
  const auto marker = embeddedMarker();
  std::vector<size_t> found;
  auto at = file.begin();
  while ((at = std::search(at, file.end(), marker.begin(), marker.end())) != file.end()) {
    found.push_back(static_cast<size_t>(at - file.begin()));
    ++at;
  }
  return found;
}

size_t peChecksumField(const Bytes& file) {
  const size_t header = peHeader(file);
  return header == 0 ? 0 : header + 24 + 64;
}

uint32_t peChecksum(const Bytes& file, size_t checksumField) {
  uint64_t sum = 0;
  const size_t size = file.size();
  for (size_t i = 0; i < size; i += 2) {
    if (i == checksumField || i == checksumField + 2) continue;
    uint32_t word = file[i];
    if (i + 1 < size) word |= static_cast<uint32_t>(file[i + 1]) << 8;
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + size);
}

bool pack(const PackInput& input, Bytes* output, std::string* error) {
  const Bytes& launcher = input.launcher;
  const ExecutableKind kind = executableKind(launcher);
  if (kind == ExecutableKind::Unknown) {
    *error = "the launcher is neither a Windows (PE) nor a Linux (ELF) executable";
    return false;
  }
  if (input.identity.hasSplash && kind != ExecutableKind::Pe) {
    *error = "the launcher is a Linux executable, which shows no splash image";
    return false;
  }
  if (input.identity.any()) {
    if (kind != ExecutableKind::Pe) {
      *error = "the launcher is a Linux executable, which carries no icon, version information or manifest";
      return false;
    }
    return packWithResources(input, output, error);
  }
  const std::vector<size_t> markers = findMarkers(launcher);
  if (markers.empty()) {
    *error = "the launcher has no space reserved for a configuration: not a Tarn launcher";
    return false;
  }
  if (markers.size() > 1) {
    *error = "the launcher holds " + std::to_string(markers.size()) +
             " configuration markers, so the reserved space cannot be told apart";
    return false;
  }
  const size_t block = markers[0];
  if (launcher.size() - block < kEmbeddedHeaderSize ||
      read32(launcher, block + 8) > launcher.size() - block - kEmbeddedHeaderSize) {
    *error = "the launcher's reserved configuration space is damaged";
    return false;
  }
  if (kind == ExecutableKind::Pe && peDirectorySize(launcher, kCertificateDirectory) != 0) {
    *error = "the launcher is signed; pack the unsigned launcher and sign the result";
    return false;
  }
  const size_t room = read32(launcher, block + 8);

  // A launcher packed before carries its jar at the end: a new jar replaces
  // it, so the launcher part ends where the old archive begins.
  ZipDirectory previous;
  std::string ignored;
  const bool packedBefore = readZipDirectory(launcher.data(), launcher.size(), &previous, &ignored) &&
                            previous.firstRecord >= block + kEmbeddedHeaderSize + room;
  std::u16string text;
  if (!embeddedTextFromIni(input.ini, &text, error)) return false;
  if ((input.hasJar || packedBefore) && !withEmbeddedJar(&text, input.hasJar, error)) return false;
  if (text.size() * 2 > room) {
    *error = "the configuration takes " + std::to_string(text.size() * 2) +
             " bytes as embedded text, but the launcher reserves only " + std::to_string(room);
    return false;
  }

  const size_t launcherEnd = input.hasJar && packedBefore ? previous.firstRecord : launcher.size();
  Bytes jar;
  if (input.hasJar && !appendableJar(input.jar, &jar, error)) return false;

  Bytes result(launcher.begin(), launcher.begin() + static_cast<long>(launcherEnd));
  encodeEmbeddedBlock(text, &result[block], kEmbeddedHeaderSize + room);
  result.insert(result.end(), jar.begin(), jar.end());
  if (kind == ExecutableKind::Pe) {
    const size_t field = peChecksumField(result);
    if (read32(result, field) != 0) write32(result, field, peChecksum(result, field));
  }
  *output = std::move(result);
  return true;
}

bool embeddedTextOf(const Bytes& file, std::string* text, std::string* error) {
  const std::vector<size_t> markers = findMarkers(file);
  if (executableKind(file) == ExecutableKind::Unknown || markers.size() != 1) {
    *error = "not a Tarn launcher";
    return false;
  }
  *text = utf16ToUtf8(decodeEmbeddedBlock(&file[markers[0]], file.size() - markers[0]));
  return true;
}

bool splashImageOf(const Bytes& file, Bytes* image) {
  ResourceTree tree;
  std::string ignored;
  if (executableKind(file) != ExecutableKind::Pe || !readImageResources(file, &tree, &ignored))
    return false;
  for (const Resource& resource : tree.resources) {
    if (!isSplash(resource)) continue;
    *image = resource.data;
    return true;
  }
  return false;
}

}  // namespace tarn
