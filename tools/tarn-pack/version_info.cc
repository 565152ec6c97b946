#include "version_info.h"

#include "os/little_endian.h"

namespace tarn {

namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes* out, uint16_t value) {
  out->push_back(static_cast<unsigned char>(value & 0xFF));
  out->push_back(static_cast<unsigned char>(value >> 8));
}

void put32(Bytes* out, uint32_t value) {
  put16(out, static_cast<uint16_t>(value & 0xFFFF));
  put16(out, static_cast<uint16_t>(value >> 16));
}

void putText(Bytes* out, const std::u16string& text) {
  for (char16_t c : text) put16(out, c);
  put16(out, 0);
}

void pad(Bytes* out) {
  while (out->size() % 4 != 0) out->push_back(0);
}

// One block: length, value length, type (1 for text), key, value, then the
// children, each on a 4-byte boundary. The length spans them all.
Bytes block(const std::u16string& key, const Bytes& value, uint16_t valueLength, bool text,
            const std::vector<Bytes>& children) {
  Bytes out(4, 0);
  put16(&out, text ? 1 : 0);
  putText(&out, key);
  pad(&out);
  out.insert(out.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    pad(&out);
    out.insert(out.end(), child.begin(), child.end());
  }
  writeLittle16(&out[0], static_cast<uint16_t>(out.size()));
  writeLittle16(&out[2], valueLength);
  return out;
}

uint32_t high(const uint16_t parts[4]) { return static_cast<uint32_t>(parts[0]) << 16 | parts[1]; }
uint32_t low(const uint16_t parts[4]) { return static_cast<uint32_t>(parts[2]) << 16 | parts[3]; }

}  // namespace

bool parseVersionNumber(const std::string& text, uint16_t parts[4]) {
  uint16_t result[4] = {0, 0, 0, 0};
  size_t part = 0, at = 0;
  while (true) {
    if (part == 4 || at >= text.size() || text[at] < '0' || text[at] > '9') return false;
    uint32_t value = 0;
    for (size_t digits = 0; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
      value = value * 10 + static_cast<uint32_t>(text[at] - '0');
      if (value > 0xFFFF || digits >= 5) return false;
    }
    result[part++] = static_cast<uint16_t>(value);
    if (at == text.size()) break;
    if (text[at++] != '.') return false;
  }
  for (int i = 0; i < 4; ++i) parts[i] = result[i];
  return true;
}

std::vector<unsigned char> encodeVersionInfo(const VersionInfo& info) {
  Bytes fixed;
  put32(&fixed, 0xFEEF04BDu);  // signature
  put32(&fixed, 0x00010000u);  // structure version 1.0
  put32(&fixed, high(info.fileVersion));
  put32(&fixed, low(info.fileVersion));
  put32(&fixed, high(info.productVersion));
  put32(&fixed, low(info.productVersion));
  put32(&fixed, 0x3F);       // flags mask
  put32(&fixed, 0);          // flags
  put32(&fixed, 0x00040004u);  // VOS_NT_WINDOWS32
  put32(&fixed, 1);          // VFT_APP
  put32(&fixed, 0);          // subtype
  put32(&fixed, 0);          // date, high
  put32(&fixed, 0);          // date, low

  std::vector<Bytes> strings;
  for (const auto& entry : info.strings) {
    Bytes value;
    putText(&value, entry.second);
    strings.push_back(block(entry.first, value, static_cast<uint16_t>(entry.second.size() + 1), true, {}));
  }
  const Bytes table = block(u"040904B0", Bytes(), 0, true, strings);
  const Bytes stringInfo = block(u"StringFileInfo", Bytes(), 0, true, {table});
  Bytes translation;
  put16(&translation, 0x0409);
  put16(&translation, 1200);
  const Bytes var = block(u"Translation", translation, 4, false, {});
  const Bytes varInfo = block(u"VarFileInfo", Bytes(), 0, true, {var});
  return block(u"VS_VERSION_INFO", fixed, static_cast<uint16_t>(fixed.size()), false,
               {stringInfo, varInfo});
}

}  // namespace tarn
