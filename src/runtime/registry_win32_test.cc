// The real registry in both views: a 32-bit launcher's search, run from the
// 64-bit build with the architecture given, and the 64-bit one's.
#include <windows.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "config/real_profile_files.h"
#include "os/real_system.h"
#include "runtime/discovery.h"
#include "runtime/selection.h"

namespace tarn {
namespace {

const char* const kJreKey = "Software\\JavaSoft\\Java Runtime Environment";

// A runtime folder whose client VM library is just the headers of a PE
// image of the machine type.
std::string placeholderRuntime(const std::filesystem::path& root, const std::string& name,
                               uint16_t machine) {
  std::filesystem::path vm = root / name / "bin" / "client";
  std::filesystem::create_directories(vm);
  std::string header(0x98, '\0');
  header[0] = 'M';
  header[1] = 'Z';
  header[0x3c] = '\x80';
  header.replace(0x80, 4, std::string("PE\0\0", 4));
  header[0x84] = static_cast<char>(machine & 0xff);
  header[0x85] = static_cast<char>(machine >> 8);
  std::ofstream(vm / "jvm.dll", std::ios::binary) << header;
  return (root / name).string() + "\\";
}

struct ViewKeys {
  // Versions written, to be removed again, with their view flags.
  std::vector<std::pair<std::string, REGSAM>> written;

  bool add(REGSAM view, const std::string& version, const std::string& home) {
    std::string path = std::string(kJreKey) + "\\" + version;
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE | view,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
      return false;
    written.emplace_back(path, view);
    bool ok = RegSetValueExA(key, "JavaHome", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(home.c_str()),
                             static_cast<DWORD>(home.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
  }
  ~ViewKeys() {
    for (const auto& [path, view] : written) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
    // The vendor keys go only when nothing else is registered below them.
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kJreKey, view, 0);
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\JavaSoft", view, 0);
    }
  }
};

std::string chosenHome(Machine& machine, const TargetArchitecture& architecture) {
  RuntimeRules rules;
  rules.minimum.parse("70", 0);
  rules.maximum.parse("70", 65535);
  std::unique_ptr<RuntimeSource> source = systemRuntimeSource(machine, architecture);
  JreCandidate chosen;
  if (!searchRegistry(rules, *source, &chosen)) return "none";
  return chosen.home;
}

TEST(RegistryViews, EachArchitectureFindsItsOwnRuntimes) {
  RealSystem system;
  RealProfileFiles profiles;
  Machine machine;
  machine.system = &system;
  machine.profiles = &profiles;
  std::filesystem::path root = std::filesystem::temp_directory_path() / "tarn-registry-views";
  std::filesystem::remove_all(root);
  std::string x86 = placeholderRuntime(root, "x86", 0x14c);
  std::string x64In32View = placeholderRuntime(root, "x64-in-32-view", 0x8664);
  std::string x86In64View = placeholderRuntime(root, "x86-in-64-view", 0x14c);
  std::string x64 = placeholderRuntime(root, "x64", 0x8664);
  {
    ViewKeys keys;
    // The newer runtimes are each wrong for one launcher: of the other
    // machine type in its view, or only in the other view.
    if (!keys.add(KEY_WOW64_32KEY, "70.1", x86))
      GTEST_SKIP() << "HKEY_LOCAL_MACHINE is not writable here";
    ASSERT_TRUE(keys.add(KEY_WOW64_32KEY, "70.2", x64In32View));
    ASSERT_TRUE(keys.add(KEY_WOW64_64KEY, "70.0", x64));
    ASSERT_TRUE(keys.add(KEY_WOW64_64KEY, "70.3", x86In64View));

    EXPECT_EQ(x86, chosenHome(machine, {0x14c, RegistryView::Bits32}));
    EXPECT_EQ(x64, chosenHome(machine, {0x8664, RegistryView::Bits64}));
    // The real launcher's is the one it is built for.
    EXPECT_EQ(sizeof(void*) == 8 ? x64 : x86, chosenHome(machine, launcherArchitecture()));
  }
  // And the keys are gone again.
  EXPECT_EQ("none", chosenHome(machine, {0x14c, RegistryView::Bits32}));
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace tarn
