#include "jvm/vm_platform.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "os/text.h"

namespace tarn {
namespace {

uint32_t answer(void* parameter) {
  int local = 0;
  *static_cast<void**>(parameter) = &local;  // somewhere on this thread's stack
  return 42;
}

TEST(RunThread, RunsTheBodyAndPassesItsExitCodeOn) {
  // The largest is a reservation that could never be committed at once in
  // a 32-bit process.
  for (int32_t size : {0, 1, 1 << 20, 1 << 30}) {
    void* where = nullptr;
    uint32_t code = 0;
    ASSERT_TRUE(runThread(size, answer, &where, &code)) << size;
    EXPECT_EQ(42u, code);
    EXPECT_NE(nullptr, where);
  }
}

TEST(SystemText, AsciiIsKeptInEveryCodePage) {
  EXPECT_EQ(u"Main \"x\" 1", systemTextToUtf16("Main \"x\" 1"));
  EXPECT_EQ(u"", systemTextToUtf16(""));
}

#ifndef _WIN32
TEST(SystemText, TheLocaleDecides) {
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  if (!std::setlocale(LC_CTYPE, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(u"caf\u00e9 \U0001F600", systemTextToUtf16("caf\xc3\xa9 \xf0\x9f\x98\x80"));
  // A broken sequence costs one replacement character per bad byte.
  EXPECT_EQ(u"a\uFFFDb\uFFFD", systemTextToUtf16("a\xff" "b\xc3"));
  std::setlocale(LC_CTYPE, saved.c_str());
}
#endif

}  // namespace
}  // namespace tarn
