// The Java Exception dialog template that the executable carries.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

#pragma pack(push, 1)
struct DialogHeader {  // the fixed start of a DLGTEMPLATEEX
  WORD version;
  WORD signature;
  DWORD helpId;
  DWORD exStyle;
  DWORD style;
  WORD count;
  short x, y, cx, cy;
};
#pragma pack(pop)

TEST(JavaExceptionDialog, TemplateIsThere) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(231), MAKEINTRESOURCEA(5));
  ASSERT_NE(nullptr, found);
  const auto* header =
      static_cast<const DialogHeader*>(LockResource(LoadResource(nullptr, found)));
  ASSERT_NE(nullptr, header);
  EXPECT_EQ(0xFFFF, header->signature);
  EXPECT_EQ(8, header->count);
  EXPECT_EQ(275, header->cx);
  EXPECT_EQ(242, header->cy);
  // Menu and class are empty ordinals here; the title follows them.
  const WCHAR* text = reinterpret_cast<const WCHAR*>(header + 1);
  EXPECT_EQ(0, text[0]);
  EXPECT_EQ(0, text[1]);
  EXPECT_EQ(0, std::wcscmp(L"Java Exception", text + 2));
}

}  // namespace
#endif
