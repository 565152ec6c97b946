// The version information resource (RT_VERSION) of an executable: the
// fixed numbers and the strings, in US English with Unicode text.
#ifndef TARN_TOOLS_VERSION_INFO_H
#define TARN_TOOLS_VERSION_INFO_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarn {

struct VersionInfo {
  uint16_t fileVersion[4] = {0, 0, 0, 0};
  uint16_t productVersion[4] = {0, 0, 0, 0};
  // Keys and values of the string table, in this order.
  std::vector<std::pair<std::u16string, std::u16string>> strings;
};

// "1", "1.2", "1.2.3" or "1.2.3.4", each part a decimal number up to
// 65535; missing parts are 0. False for anything else.
bool parseVersionNumber(const std::string& text, uint16_t parts[4]);

// The resource's bytes: VS_VERSIONINFO with the fixed file information
// (an application for Windows NT), the string table 040904B0 and the
// translation 0x0409/1200.
std::vector<unsigned char> encodeVersionInfo(const VersionInfo& info);

}  // namespace tarn

#endif
