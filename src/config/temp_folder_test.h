// A private folder of real files for one test program run, and whole
// files written and read there.
#ifndef TARN_CONFIG_TEMP_FOLDER_TEST_H
#define TARN_CONFIG_TEMP_FOLDER_TEST_H

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace tarn {

struct TempFolder {
  std::filesystem::path path;
  TempFolder() {
    std::random_device random;
    path = std::filesystem::temp_directory_path() / ("tarn-profile-" + std::to_string(random()));
    std::filesystem::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tarn

#endif
