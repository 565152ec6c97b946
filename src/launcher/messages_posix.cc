#include "launcher/messages.h"

namespace tarn {

namespace {

struct TableEntry {
  int id;
  const char* text;
};

const TableEntry kStringTable[] = {
#define TARN_STRING(id, text) {id, text},
#include "strings.def"
#undef TARN_STRING
};

}  // namespace

// The table is ASCII, which every locale's character set reads alike.
std::string loadMessage(int id) {
  for (const TableEntry& entry : kStringTable)
    if (entry.id == id) return entry.text;
  return std::string();
}

}  // namespace tarn
