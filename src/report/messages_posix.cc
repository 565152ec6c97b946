#include "report/messages.h"

#include <cstdio>

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

namespace tarn {

void writeStandardOutput(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fflush(stdout);
}

// Linux has no windowed launcher: lines always go to standard output.
bool standardOutputRedirected() { return true; }

bool showErrorBox(const std::string&, const std::string&) { return false; }

bool onVisibleWindowStation() { return false; }

}  // namespace tarn
