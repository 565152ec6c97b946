#include "ini_text.h"

#include <gtest/gtest.h>

#include "pack.h"

namespace tarn {
namespace {

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::u16string embedded(const std::string& ini) {
  std::u16string text;
  std::string error;
  EXPECT_TRUE(embeddedTextFromIni(bytes(ini), &text, &error)) << error;
  return text;
}

TEST(EmbeddedTextFromIni, PutsTheFileInTheEmbeddedForm) {
  EXPECT_EQ(u"[Application]\r\nMain Class=a.b.C\r\nk=v",
            embedded("; comment = not a key\n[ Application ]\r\n\r\n  Main Class = a.b.C \r"
                     "line without equals\nk=v\n"));
  // Quotes around a whole value go; inner ones stay.
  EXPECT_EQ(u"[A]\r\nt=My App\r\nu=-Dx=\"a b\"\r\nv='a\"",
            embedded("[A]\nt=\"My App\"\nu=-Dx=\"a b\"\nv='a\"\n"));
  // A header's name runs to the last "]".
  EXPECT_EQ(u"[a]b]", embedded("[a]b]\n"));
  EXPECT_EQ(u"", embedded(""));
  EXPECT_EQ(u"", embedded("\n\n; only comments\n"));
}

TEST(EmbeddedTextFromIni, Encodings) {
  EXPECT_EQ(u"[A]\r\nk=Gr\u00fc\u00dfe \U0001F600", embedded("\xEF\xBB\xBF[A]\nk=Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80\n"));
  Bytes utf16 = {0xFF, 0xFE};
  for (char16_t c : std::u16string(u"[A]\r\nk=\u65e5")) {
    utf16.push_back(static_cast<unsigned char>(c & 0xFF));
    utf16.push_back(static_cast<unsigned char>(c >> 8));
  }
  std::u16string text;
  std::string error;
  ASSERT_TRUE(embeddedTextFromIni(utf16, &text, &error)) << error;
  EXPECT_EQ(u"[A]\r\nk=\u65e5", text);
  utf16.push_back(0);
  EXPECT_FALSE(embeddedTextFromIni(utf16, &text, &error));
  // Text in a legacy code page is refused rather than guessed at.
  EXPECT_FALSE(embeddedTextFromIni(bytes("[A]\nk=Gr\xFC\xDF" "e\n"), &text, &error));
  EXPECT_NE(std::string::npos, error.find("UTF-8"));
  EXPECT_FALSE(embeddedTextFromIni(bytes("k=\xC0\xAF"), &text, &error));  // overlong "/"
  EXPECT_FALSE(embeddedTextFromIni(bytes("k=\xED\xA0\x80"), &text, &error));  // a surrogate
  EXPECT_FALSE(embeddedTextFromIni(bytes("k=\xE6\x97"), &text, &error));  // cut short
  // UTF-16 without its byte order mark reads as UTF-8 full of NULs.
  EXPECT_FALSE(embeddedTextFromIni(Bytes{'[', 0, 'A', 0, ']', 0}, &text, &error));
  EXPECT_NE(std::string::npos, error.find("NUL")) << error;
}

}  // namespace
}  // namespace tarn
