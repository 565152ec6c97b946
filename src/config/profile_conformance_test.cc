// One table of INI files and lookups, run against the launcher's profile
// functions on real files and against the portable reader directly: every
// answer must be the same everywhere. The table's rules are those of
// Windows' own profile functions, checked against them under Wine when the
// launcher still used them; where Wine broke a rule the table says so.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "config/ini_file.h"
#include "config/profile_text.h"
#include "config/real_profile_files.h"
#include "config/temp_folder_test.h"

namespace tarn {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

constexpr uint32_t kWhole = 1u << 20;  // a buffer no value of the table fills

struct ReadCase {
  const char* rule;
  std::string file;  // "<absent>" for no file at all
  const char* section;
  const char* key;
  std::string expected;
  uint32_t size = kWhole;
};

const std::string kLong(70000, 'x');
const std::string k255(255, 'y');
// Wine's writer keeps at most 32767 characters of a value.
const std::string kLongWrite(20000, 'z');

std::vector<ReadCase> readCases() {
  return {
      // Absent and empty files.
      {"absent file", "<absent>", "A", "k", ""},
      {"empty file", "", "A", "k", ""},
      // Names matched without regard to case, after trimming.
      {"plain", "[App]\r\nName=viewer\r\n", "App", "Name", "viewer"},
      {"case of lookup", "[App]\r\nName=viewer\r\n", "aPP", "NAME", "viewer"},
      {"case in file", "[aPP]\r\nnAmE=1\r\n", "App", "Name", "1"},
      {"lookup names trimmed", "[App]\r\nName=viewer\r\n", " App\t", "  Name ", "viewer"},
      {"missing key", "[App]\r\nName=viewer\r\n", "App", "Other", ""},
      {"missing section", "[App]\r\nName=viewer\r\n", "Other", "Name", ""},
      {"empty key name", "[A]\r\n=v\r\n", "A", "", "v"},
      {"blank key name", "[A]\r\n  =v\r\n", "A", " ", "v"},
      {"empty section name", "[]\r\nk=v\r\n", "", "k", ""},
      // Blanks around names and values.
      {"blanks trimmed", "  [App]  \r\n  Name  =  viewer tool  \r\n", "App", "Name", "viewer tool"},
      {"tabs trimmed", "[App]\r\n\tName\t=\tv\t\r\n", "App", "Name", "v"},
      {"inner blanks kept", "[Java Runtime]\r\nMain Class = a.b.C\r\n", "Java Runtime",
       "Main Class", "a.b.C"},
      {"trailing white space", "[A]\r\nk=v \t\v\f\r\n", "A", "k", "v"},
      {"file separator controls", "[A]\r\nk=\x1cv\x1f\r\n", "A", "k", "\x1cv\x1f"},
      {"ctrl-z is white space", "[A]\r\nk=v\x1a\r\n\x1a", "A", "k", "v"},
      {"equals in value", "[A]\r\nk = = x\r\n", "A", "k", "= x"},
      {"only equals in value", "[A]\r\nk==\r\n", "A", "k", "="},
      {"empty value", "[A]\r\nk=\r\nm=1\r\n", "A", "k", ""},
      {"blank value", "[A]\r\nk=   \r\nm=1\r\n", "A", "k", ""},
      // Line ends.
      {"lf line ends", "[App]\nName=v\n", "App", "Name", "v"},
      {"mixed line ends", "[App]\nName=v\r\nOther=w\n", "App", "Other", "w"},
      {"no final line break", "[App]\r\nName=v", "App", "Name", "v"},
      {"cr alone ends a line", "[App]\rName=v\r", "App", "Name", "v"},
      {"cr alone inside value", "[A]\r\nk=a\rb=2\r\n", "A", "k", "a"},
      {"cr alone starts a key", "[A]\r\nk=a\rb=2\r\n", "A", "b", "2"},
      {"lf cr", "[A]\n\rk=1\n\r", "A", "k", "1"},
      {"blank lines", "\r\n\r\n[App]\r\n\r\n  \r\nName=v\r\n\r\n", "App", "Name", "v"},
      // Where keys stand.
      {"key before any section", "Name=v\r\n[App]\r\nOther=1\r\n", "App", "Name", ""},
      {"line without equals", "[A]\r\nflag\r\nk=1\r\n", "A", "flag", ""},
      {"key without equals first", "[A]\r\nk\r\nk=2\r\n", "A", "k", ""},
      {"next section ends one", "[A]\r\n[B]\r\nk=1\r\n", "A", "k", ""},
      // Section headers.
      {"spaced header", "[ App ]\r\nName=v\r\n", "App", "Name", "v"},
      {"spaced header lookup", "[ App ]\r\nName=v\r\n", " App ", "Name", "v"},
      {"tabbed header", "[\tJava Runtime\t]\r\nk=v\r\n", "java runtime", "k", "v"},
      {"blank header never found", "[ ]\r\nk=v\r\n", "", "k", ""},
      {"text after bracket", "[App] ; note\r\nName=v\r\n", "App", "Name", "v"},
      {"last bracket closes", "[App]]\r\nName=v\r\n", "App]", "Name", "v"},
      {"last bracket not App", "[App]]\r\nName=v\r\n", "App", "Name", ""},
      {"unclosed header", "[App\r\nName=v\r\n", "App", "Name", ""},
      {"header with equals after", "[A]=1\r\nk=v\r\n", "A", "k", "v"},
      {"bracket in a note", "[A] ; see [B]\r\nk=v\r\n", "A] ; see [B", "k", "v"},
      {"unclosed header is a key", "[A]\r\n[App=1\r\n", "A", "[App", "1"},
      // Repeated sections and keys: the first counts.
      {"first section", "[A]\r\nk=1\r\n[B]\r\nk=2\r\n[A]\r\nk=3\r\n", "A", "k", "1"},
      {"second section unseen", "[A]\r\nk=1\r\n[B]\r\nk=2\r\n[A]\r\nm=4\r\n", "A", "m", ""},
      {"other section", "[A]\r\nk=1\r\n[B]\r\nk=2\r\n[A]\r\nk=3\r\n", "B", "k", "2"},
      {"first key", "[A]\r\nk=1\r\nk=2\r\n", "A", "k", "1"},
      {"first key any case", "[A]\r\nK=1\r\nk=2\r\n", "A", "k", "1"},
      {"sections of any case", "[a]\r\nk=1\r\n[A]\r\nk=2\r\n", "A", "k", "1"},
      // Quotes.
      {"double quotes", "[A]\r\nk=\"x y\"\r\n", "A", "k", "x y"},
      {"single quotes", "[A]\r\nk='x y'\r\n", "A", "k", "x y"},
      {"quoted blanks kept", "[A]\r\nk= \"  x  \" \r\n", "A", "k", "  x  "},
      {"mismatched quotes", "[A]\r\nk=\"x'\r\n", "A", "k", "\"x'"},
      {"unmatched opening quote", "[A]\r\nk=\"x\r\n", "A", "k", "\"x"},
      {"unmatched closing quote", "[A]\r\nk=x\"\r\n", "A", "k", "x\""},
      {"quote inside", "[A]\r\nk=\"a\"b\"\r\n", "A", "k", "a\"b"},
      {"quotes inside only", "[A]\r\nk=a \"b\" c\r\n", "A", "k", "a \"b\" c"},
      {"other quotes inside", "[A]\r\nk='\"x\"'\r\n", "A", "k", "\"x\""},
      {"empty quotes", "[A]\r\nk=\"\"\r\n", "A", "k", ""},
      {"one quote", "[A]\r\nk=\"\r\n", "A", "k", "\""},
      // Comment lines have no rule of their own.
      {"semicolon comment", "[A]\r\n;k=1\r\nk=2\r\n", "A", "k", "2"},
      {"semicolon key", "[A]\r\n;k=1\r\nk=2\r\n", "A", ";k", "1"},
      {"hash comment", "[A]\r\n#k=1\r\nk=2\r\n", "A", "k", "2"},
      {"comment line", "; about\r\n[A]\r\n; k is set below\r\nk=2\r\n", "A", "k", "2"},
      // Byte-order mark.
      {"utf-8 mark", "\xEF\xBB\xBF[A]\r\nk=1\r\n", "A", "k", "1"},
      {"utf-8 mark before key", "\xEF\xBB\xBFk=0\r\n[A]\r\nk=1\r\n", "A", "k", "1"},
      // NUL bytes end a name or value.
      {"nul in value", "[A]\r\nk=a\0b\r\nm=2\r\n"s, "A", "k", "a"},
      {"nul leaves later lines", "[A]\r\nk=a\0b\r\nm=2\r\n"s, "A", "m", "2"},
      {"nul in key", "[A]\r\nk\0x=1\r\n"s, "A", "k", "1"},
      {"nul in section", "[A\0B]\r\nk=1\r\n"s, "A", "k", "1"},
      {"nul after blank", "[A]\r\nk=a \0 b\r\n"s, "A", "k", "a "},
      {"nul before header", "\0[A]\r\nk=1\r\n"s, "A", "k", ""},
      {"nul in spaced header", "[ A \0 ]\r\nk=1\r\n"s, "A", "k", ""},
      // Long values and the buffer contract.
      {"70000 characters", "[A]\r\nk=" + kLong + "\r\n", "A", "k", kLong},
      {"255 characters", "[A]\r\nk=" + k255 + "\r\n", "A", "k", k255, 256},
      {"cut to size - 1", "[A]\r\nk=abcdef\r\n", "A", "k", "abc", 4},
      {"fits exactly", "[A]\r\nk=abcdef\r\n", "A", "k", "abcdef", 7},
      {"one short", "[A]\r\nk=abcdef\r\n", "A", "k", "abcde", 6},
      {"size one", "[A]\r\nk=abcdef\r\n", "A", "k", "", 1},
      {"quoted and cut", "[A]\r\nk=\"abcdef\"\r\n", "A", "k", "abc", 4},
      {"quoted fits", "[A]\r\nk=\"abcdef\"\r\n", "A", "k", "abcdef", 8},
      // (Wine's own function drops one more byte here.)
      {"quoted fills size - 1", "[A]\r\nk=\"abcdef\"\r\n", "A", "k", "abcdef", 7},
      {"quoted one short", "[A]\r\nk=\"abcdef\"\r\n", "A", "k", "abcde", 6},
  };
}

// Long texts are shown by their length and ends only.
std::string shown(const std::string& text) {
  if (text.size() <= 80) return "\"" + text + "\"";
  return std::to_string(text.size()) + " bytes \"" + text.substr(0, 20) + "...\"" +
         text.substr(text.size() - 20) + "\"";
}

::testing::AssertionResult same(const std::string& expected, const std::string& got) {
  if (expected == got) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "expected " << shown(expected) << ", got " << shown(got);
}

std::string describe(size_t row, const char* rule) {
  return "row " + std::to_string(row) + " (" + rule + ")";
}

void expectAnswer(const ReadCase& c, const std::string& got, uint32_t count,
                  const std::string& where) {
  EXPECT_TRUE(same(c.expected, got)) << where;
  EXPECT_EQ(c.expected.size(), count) << where;
}

TEST(ProfileConformance, PortableReader) {
  std::vector<ReadCase> cases = readCases();
  for (size_t i = 0; i < cases.size(); ++i) {
    const ReadCase& c = cases[i];
    std::string file = c.file == "<absent>" ? std::string() : c.file;
    std::vector<char> buffer(c.size, '*');
    uint32_t count = profileCopyString(file, c.section, c.key, buffer.data(), c.size);
    expectAnswer(c, buffer.data(), count, describe(i, c.rule));
    if (c.size == kWhole) {
      EXPECT_TRUE(same(c.expected, profileGetString(file, c.section, c.key))) << describe(i, c.rule);
    }
  }
}

TEST(ProfileConformance, PlatformProfileFunctions) {
  TempFolder folder;
  RealProfileFiles files;
  std::vector<ReadCase> cases = readCases();
  for (size_t i = 0; i < cases.size(); ++i) {
    const ReadCase& c = cases[i];
    // A file of its own per row: the platform may keep a parsed file cached.
    fs::path path = folder.path / ("read" + std::to_string(i) + ".ini");
    if (c.file != "<absent>") writeFile(path, c.file);
    std::vector<char> buffer(c.size, '*');
    uint32_t count = files.getString(c.section, c.key, buffer.data(), c.size, path.string());
    expectAnswer(c, buffer.data(), count, describe(i, c.rule));
  }
}

// Whatever the platform does with a quoted value at the buffer's end, the
// single-file read gets it whole.
TEST(ProfileConformance, QuotedValuesReadWhole) {
  TempFolder folder;
  RealProfileFiles files;
  for (size_t length : {253, 254, 255, 256, 511}) {
    fs::path path = folder.path / ("quoted" + std::to_string(length) + ".ini");
    std::string value(length, 'q');
    writeFile(path, "[A]\r\nk=\"" + value + "\"\r\n");
    EXPECT_TRUE(same(value, readProfileString(files, path.string(), "A", "k"))) << length;
  }
}

struct WriteCase {
  const char* rule;
  std::string file;  // "<absent>" for no file at all
  const char* section;
  const char* key;
  std::string value;
  std::string expected;  // the file afterwards
  std::vector<std::pair<const char*, const char*>> alsoRead;  // values that must not change
};

std::vector<WriteCase> writeCases() {
  return {
      {"replace value", "[A]\r\nk=1\r\nm=2\r\n", "A", "k", "9", "[A]\r\nk=9\r\nm=2\r\n",
       {{"A", "m"}}},
      {"blanks around value kept", "; top\r\n[A]\r\n  k = 1  \r\n\r\n[B]\r\nx=y\r\n", "A", "k",
       "9", "; top\r\n[A]\r\n  k = 9  \r\n\r\n[B]\r\nx=y\r\n", {{"B", "x"}}},
      {"names without regard to case", "[App]\r\nNAME=1\r\n", "app", "name", "2",
       "[App]\r\nNAME=2\r\n", {}},
      {"key added to its section", "[A]\r\nk=1\r\n\r\n[B]\r\nx=y\r\n", "A", "m", "2",
       "[A]\r\nk=1\r\nm=2\r\n\r\n[B]\r\nx=y\r\n", {{"A", "k"}, {"B", "x"}}},
      {"key added before blank lines", "[A]\r\nk=1\r\n\r\n\r\n", "A", "m", "2",
       "[A]\r\nk=1\r\nm=2\r\n\r\n\r\n", {{"A", "k"}}},
      {"key added to empty section", "[A]\r\n[B]\r\nx=y\r\n", "A", "m", "2",
       "[A]\r\nm=2\r\n[B]\r\nx=y\r\n", {{"B", "x"}}},
      {"section added", "[A]\r\nk=1\r\n", "B", "x", "y", "[A]\r\nk=1\r\n\r\n[B]\r\nx=y\r\n",
       {{"A", "k"}}},
      {"section added after blank line", "[A]\r\nk=1\r\n\r\n", "B", "x", "y",
       "[A]\r\nk=1\r\n\r\n[B]\r\nx=y\r\n", {{"A", "k"}}},
      {"file created", "<absent>", "Java Runtime", "JRE Path", "C:\\jre", "[Java Runtime]\r\nJRE Path=C:\\jre\r\n",
       {}},
      {"empty file", "", "A", "k", "1", "[A]\r\nk=1\r\n", {}},
      {"lf file stays lf", "[A]\nk=1\n", "A", "m", "2", "[A]\nk=1\nm=2\n", {{"A", "k"}}},
      {"lf file new section", "[A]\nk=1\n", "B", "m", "2", "[A]\nk=1\n\n[B]\nm=2\n", {{"A", "k"}}},
      {"cr file stays cr", "[A]\rk=1\r", "A", "m", "2", "[A]\rk=1\rm=2\r", {{"A", "k"}}},
      {"no final line break", "[A]\r\nk=1", "A", "m", "2", "[A]\r\nk=1\r\nm=2\r\n", {{"A", "k"}}},
      {"no final break new section", "[A]\r\nk=1", "B", "m", "2", "[A]\r\nk=1\r\n\r\n[B]\r\nm=2\r\n",
       {{"A", "k"}}},
      {"first of two sections", "[A]\r\nk=1\r\n[A]\r\nm=1\r\n", "A", "m", "2",
       "[A]\r\nk=1\r\nm=2\r\n[A]\r\nm=1\r\n", {{"A", "k"}}},
      {"first of two keys", "[A]\r\nk=1\r\nk=2\r\n", "A", "k", "3", "[A]\r\nk=3\r\nk=2\r\n", {}},
      {"key without equals", "[A]\r\nk\r\nm=1\r\n", "A", "k", "5", "[A]\r\nk=5\r\nm=1\r\n",
       {{"A", "m"}}},
      {"comments kept", "; c\r\n[A]\r\n# note\r\nk=1\r\n", "A", "m", "2",
       "; c\r\n[A]\r\n# note\r\nk=1\r\nm=2\r\n", {{"A", "k"}}},
      {"byte-order mark kept", "\xEF\xBB\xBF[A]\r\nk=1\r\n", "A", "k", "2",
       "\xEF\xBB\xBF[A]\r\nk=2\r\n", {}},
      {"long value", "[A]\r\nk=1\r\nm=2\r\n", "A", "k", kLongWrite,
       "[A]\r\nk=" + kLongWrite + "\r\nm=2\r\n",
       {{"A", "m"}}},
      {"byte-order mark only", "\xEF\xBB\xBF", "A", "k", "1", "\xEF\xBB\xBF[A]\r\nk=1\r\n", {}},
      {"quoted value replaced", "[A]\r\nk=\"old\"\r\n", "A", "k", "'new'", "[A]\r\nk='new'\r\n", {}},
      {"leading blanks of value dropped", "[A]\r\nk=1\r\n", "A", "k", "  x", "[A]\r\nk=x\r\n", {}},
      {"same value", "[A]\r\nk = 1 \r\n", "A", "k", "1", "[A]\r\nk = 1 \r\n", {}},
      {"empty value", "[A]\r\nk=1\r\nm=2\r\n", "A", "k", "", "[A]\r\nk=\r\nm=2\r\n", {{"A", "m"}}},
  };
}

TEST(ProfileConformance, PortableWriter) {
  std::vector<WriteCase> cases = writeCases();
  for (size_t i = 0; i < cases.size(); ++i) {
    const WriteCase& c = cases[i];
    std::string file = c.file == "<absent>" ? std::string() : c.file;
    std::string result;
    ASSERT_TRUE(profileSetString(file, c.section, c.key, c.value, "\r\n", &result))
        << describe(i, c.rule);
    EXPECT_TRUE(same(c.expected, result)) << describe(i, c.rule);
    size_t start = c.value.find_first_not_of(' ');
    std::string readBack = start == std::string::npos ? "" : c.value.substr(start);
    if (readBack.size() >= 2 && readBack[0] == '\'' && readBack.back() == '\'')
      readBack = readBack.substr(1, readBack.size() - 2);
    EXPECT_TRUE(same(readBack, profileGetString(result, c.section, c.key))) << describe(i, c.rule);
  }
}

// The file's bytes are the portable writer's, and the values read back
// match it.
TEST(ProfileConformance, PlatformWriter) {
  TempFolder folder;
  RealProfileFiles files;
  std::vector<WriteCase> cases = writeCases();
  for (size_t i = 0; i < cases.size(); ++i) {
    const WriteCase& c = cases[i];
    fs::path path = folder.path / ("write" + std::to_string(i) + ".ini");
    std::string file = c.file == "<absent>" ? std::string() : c.file;
    if (c.file != "<absent>") writeFile(path, c.file);
    ASSERT_TRUE(files.writeString(c.section, c.key, c.value, path.string())) << describe(i, c.rule);
    std::string portable;
    ASSERT_TRUE(profileSetString(file, c.section, c.key, c.value, "\r\n", &portable));
    std::vector<std::pair<const char*, const char*>> reads = c.alsoRead;
    reads.push_back({c.section, c.key});
    for (const auto& read : reads) {
      std::vector<char> buffer(kWhole);
      files.getString(read.first, read.second, buffer.data(), kWhole, path.string());
      EXPECT_TRUE(same(profileGetString(portable, read.first, read.second), buffer.data()))
          << describe(i, c.rule) << " reading " << read.first << "/" << read.second;
    }
#ifndef _WIN32
    // A new file follows Linux line ends; otherwise the file's own.
    std::string expected = c.expected;
    if (file.find_first_of("\r\n") == std::string::npos) {
      profileSetString(file, c.section, c.key, c.value, "\n", &expected);
      EXPECT_EQ(std::string::npos, expected.find('\r'));
    }
#else
    const std::string& expected = c.expected;
#endif
    EXPECT_TRUE(same(expected, readFile(path))) << describe(i, c.rule);
  }
}

TEST(ProfileWriter, RefusesWhatWouldNotReadBack) {
  std::string result = "untouched";
  const std::string file = "[A]\r\nk=1\r\n";
  EXPECT_FALSE(profileSetString(file, "A", "k", "1\r\nevil=1", "\r\n", &result));
  EXPECT_FALSE(profileSetString(file, "A", "k", "1\nx", "\r\n", &result));
  EXPECT_FALSE(profileSetString(file, "A", "k", "1\0x"s, "\r\n", &result));
  EXPECT_FALSE(profileSetString(file, "A\n[B]", "k", "1", "\r\n", &result));
  EXPECT_FALSE(profileSetString(file, "A", "k=v", "1", "\r\n", &result));
  EXPECT_FALSE(profileSetString(file, "A", "[k]", "1", "\r\n", &result));
  EXPECT_FALSE(profileSetString(file, " ", "k", "1", "\r\n", &result));
  EXPECT_FALSE(profileSetString(file, "A", "", "1", "\r\n", &result));
  EXPECT_EQ("untouched", result);
}

}  // namespace
}  // namespace tarn
