#include "config/ini_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <utility>

namespace tarn {
namespace {

using Pieces = std::vector<std::string>;

bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Values by section and key, matched exactly; remembers every buffer size asked for.
struct FakeProfileFiles : ProfileFiles {
  std::map<std::pair<std::string, std::string>, std::string> values;
  std::vector<uint32_t> sizes;
  std::vector<std::string> paths;

  uint32_t getString(const std::string& section, const std::string& key, char* buffer,
                     uint32_t size, const std::string& path) override {
    sizes.push_back(size);
    paths.push_back(path);
    auto found = values.find({section, key});
    std::string value = found == values.end() ? std::string() : found->second;
    size_t count = std::min<size_t>(value.size(), size - 1);
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return static_cast<uint32_t>(count);
  }
  bool writeString(const std::string&, const std::string&, const std::string&,
                   const std::string&) override {
    return false;
  }
};

TEST(SplitText, SeparatorRules) {
  EXPECT_EQ(Pieces({"a", "b"}), splitText("a;b", ";", noLeadBytes));
  EXPECT_EQ(Pieces({"", "a"}), splitText(";a", ";", noLeadBytes));
  EXPECT_EQ(Pieces({"a", "", "b"}), splitText("a;;b", ";", noLeadBytes));
  EXPECT_EQ(Pieces({"a"}), splitText("a;", ";", noLeadBytes));
  EXPECT_EQ(Pieces({"a", ""}), splitText("a;;", ";", noLeadBytes));
  EXPECT_EQ(Pieces({""}), splitText(";", ";", noLeadBytes));
  EXPECT_EQ(Pieces(), splitText("", ";", noLeadBytes));
  EXPECT_EQ(Pieces({"abc"}), splitText("abc", ";", noLeadBytes));
  EXPECT_EQ(Pieces({"a\nb", "c\rd"}), splitText("a\nb\r\nc\rd\r\n", "\r\n", noLeadBytes));
}

TEST(SplitText, TrailByteIsNoSeparator) {
  EXPECT_EQ(Pieces({"a\x81;b"}), splitText("a\x81;b", ";", shiftJisLead));
  EXPECT_EQ(Pieces({"a\x81", "b"}), splitText("a\x81;b", ";", noLeadBytes));
}

TEST(ReadProfileString, DoublesTheBufferUntilTheValueFits) {
  FakeProfileFiles files;
  files.values[{"S", "short"}] = "v";
  files.values[{"S", "255"}] = std::string(255, 'a');
  files.values[{"S", "long"}] = std::string(70000, 'b');
  EXPECT_EQ("v", readProfileString(files, "p.ini", "S", "short"));
  EXPECT_EQ(std::vector<uint32_t>({256}), files.sizes);
  EXPECT_EQ("p.ini", files.paths[0]);

  files.sizes.clear();
  EXPECT_EQ(std::string(255, 'a'), readProfileString(files, "p.ini", "S", "255"));
  EXPECT_EQ(std::vector<uint32_t>({256, 512}), files.sizes);

  files.sizes.clear();
  files.values[{"S", "254"}] = std::string(254, 'c');
  EXPECT_EQ(std::string(254, 'c'), readProfileString(files, "p.ini", "S", "254"));
  EXPECT_EQ(std::vector<uint32_t>({256, 512}), files.sizes);

  files.sizes.clear();
  EXPECT_EQ(std::string(70000, 'b'), readProfileString(files, "p.ini", "S", "long"));
  EXPECT_EQ(131072u, files.sizes.back());
  EXPECT_EQ("", readProfileString(files, "p.ini", "S", "missing"));
}

struct IniFileTest : ::testing::Test {
  FakeProfileFiles files;
  IniFile ini(const std::string& text, LeadByteTest lead = noLeadBytes) {
    return IniFile(files, "C:\\app\\viewer.ini", text, lead);
  }
};

TEST_F(IniFileTest, EmbeddedSectionsAndEntries) {
  IniFile file = ini("[Application]\r\nMain Class = a.b.C\r\n\r\n  [Other]\t\r\nk=v=w\r\n=e\r\n");
  ASSERT_EQ(2u, file.sections.size());
  EXPECT_EQ("Application", file.sections[0].name);
  EXPECT_EQ("Other", file.sections[1].name);
  ASSERT_EQ(2u, file.sections[1].entries.size());
  EXPECT_EQ("v=w", file.sections[1].entries[0].value);
  EXPECT_EQ("", file.sections[1].entries[1].key);
  EXPECT_EQ("a.b.C", file.lookup("Application", "Main Class"));
  EXPECT_EQ("", file.lookup("application", "Main Class"));  // embedded names keep their case
  EXPECT_EQ("", file.lookup("Application", "main class"));
  EXPECT_EQ("C:\\app\\viewer.ini", files.paths.back());
}

TEST_F(IniFileTest, HeaderRules) {
  IniFile file = ini(
      "[ Application ]\r\n"        // the name keeps its blanks
      "\x01\x90 [x] \xA0\r\n"      // control and high bytes are blanks to the header test
      "[Application] ; note\r\n"   // not a header, no "=": ignored
      "[]\r\n"
      "[a[b]c]\r\n"                // first "[" to last "]"
      "   \r\n"                     // blanks only: no header
      "[\r\n");
  std::vector<std::string> names;
  for (const IniSection& s : file.sections) names.push_back(s.name);
  EXPECT_EQ(Pieces({" Application ", "x", "", "a[b]c"}), names);
  EXPECT_EQ("", file.lookup("Application", "k"));
}

TEST_F(IniFileTest, HeaderNameFoundCharacterWise) {
  // The "]" after a lead byte is a trail byte: the name runs to the last real "]".
  IniFile file = ini("[a\x81]b]\r\nk=1\r\n", shiftJisLead);
  ASSERT_EQ(1u, file.sections.size());
  EXPECT_EQ("a\x81]b", file.sections[0].name);
  // A lead byte among the leading blanks swallows the "[": the header has no name.
  IniFile swallowed = ini("\x81[x]\r\nk=1\r\n", shiftJisLead);
  ASSERT_EQ(1u, swallowed.sections.size());
  EXPECT_EQ("", swallowed.sections[0].name);
  // And "=" as a trail byte is no separator.
  IniFile trail = ini("[A]\r\nk\x81=v\r\n", shiftJisLead);
  EXPECT_TRUE(trail.sections[0].entries.empty());
}

TEST_F(IniFileTest, OnlyCarriageReturnLineFeedEndsALine) {
  IniFile file = ini("[A]\nk=v\r\n[B]\r\nx=1\ry=2\r\n");
  ASSERT_EQ(1u, file.sections.size());  // "[A]\nk=v" holds "=" and stands before any header
  EXPECT_EQ("B", file.sections[0].name);
  ASSERT_EQ(1u, file.sections[0].entries.size());
  EXPECT_EQ("1\ry=2", file.sections[0].entries[0].value);
}

TEST_F(IniFileTest, CommentsAndStrayLines) {
  IniFile file = ini("k=before\r\n[A]\r\n;x\r\n;x=1\r\nplain\r\n");
  ASSERT_EQ(1u, file.sections.size());
  ASSERT_EQ(1u, file.sections[0].entries.size());
  EXPECT_EQ(";x", file.sections[0].entries[0].key);
  EXPECT_EQ("1", file.lookup("A", ";x"));
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyWin) {
  IniFile file = ini("[A]\r\nk=1\r\nk=2\r\n[A]\r\nk=3\r\nonly=4\r\n");
  EXPECT_EQ(2u, file.sections.size());
  EXPECT_EQ("1", file.lookup("A", "k"));
  EXPECT_EQ("", file.lookup("A", "only"));
}

TEST_F(IniFileTest, FileLayerWinsWhenNotEmpty) {
  IniFile file = ini("[Application]\r\nMain Class = a.b.C\r\n");
  files.values[{"Application", "Main Class"}] = "x.Y";
  EXPECT_EQ("x.Y", file.lookup("Application", "Main Class"));
  files.values[{"Application", "Main Class"}] = "";  // an empty file value cannot clear
  EXPECT_EQ("a.b.C", file.lookup("Application", "Main Class"));
  files.values[{"Application", "Other"}] = "file only";
  EXPECT_EQ("file only", file.lookup("Application", "Other"));
}

TEST_F(IniFileTest, AppendSection) {
  IniFile file = ini("[Java Runtime Environment]\r\nVirtual Machine Parameters=-Xmx256m\r\n");
  const std::string section = "Java Runtime Environment", key = "Virtual Machine Parameters";
  files.values[{section + "+", key}] = "-Dx=1";
  EXPECT_EQ("-Xmx256m -Dx=1", file.lookup(section, key));
  files.values[{section + "+", key}] = " -Dx=1";
  EXPECT_EQ("-Xmx256m -Dx=1", file.lookup(section, key));
  // A plain file value hides both the embedded and the appended one.
  files.values[{section, key}] = "-Xss1m";
  EXPECT_EQ("-Xss1m", file.lookup(section, key));
  // With no embedded value, the append value alone, after one space.
  IniFile empty = ini("");
  EXPECT_TRUE(empty.sections.empty());
  files.values[{"S+", "k"}] = "tail";
  EXPECT_EQ(" tail", empty.lookup("S", "k"));
  EXPECT_EQ("", empty.lookup("S", "missing"));
}

TEST_F(IniFileTest, LookupsReadTheFileEachTime) {
  IniFile file = ini("");
  EXPECT_EQ("", file.lookup("S", "k"));
  files.values[{"S", "k"}] = "later";
  EXPECT_EQ("later", file.lookup("S", "k"));
}

TEST_F(IniFileTest, LargeTexts) {
  // A megabyte line, and many thousand lines, in one walk each.
  const std::string huge(1 << 20, 'v');
  std::string text = "[A]\r\nk=" + huge + "\r\n";
  for (int i = 0; i < 100000; ++i) text += "\r\n";
  text += "[B]\r\nx=1";  // no final line break
  IniFile file = ini(text, shiftJisLead);
  ASSERT_EQ(2u, file.sections.size());
  EXPECT_EQ(huge.size(), file.lookup("A", "k").size());
  EXPECT_EQ("1", file.lookup("B", "x"));
  EXPECT_EQ(200000u, splitText(std::string(200000, ';'), ";", noLeadBytes).size());
}

TEST_F(IniFileTest, ParseStartsOver) {
  IniFile file = ini("[A]\r\nk=1\r\n");
  file.parse("[B]\r\nk=2\r\n");
  ASSERT_EQ(1u, file.sections.size());
  EXPECT_EQ("2", file.lookup("B", "k"));
}

}  // namespace
}  // namespace tarn
