#include "report/trace.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "config/testing_machine.h"
#include "report/trace_capture_test.h"
#include "version.h"

namespace tarn {
namespace {

using testing_machine::FakeSystem;

std::string readFile(const char* name) {
  std::string text;
  if (std::FILE* file = std::fopen(name, "rb")) {
    char buffer[512];
    size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, read);
    std::fclose(file);
  }
  return text;
}

// The trace's stream is the process's: each test leaves it off.
struct Trace : ::testing::Test {
  void TearDown() override { traceTo(nullptr); }
};

TEST_F(Trace, TheVariableChoosesTheTarget) {
  FakeSystem system;
  std::string file = "stale";
  EXPECT_EQ(TraceTarget::Off, traceTarget(system, &file));
  EXPECT_EQ("", file);
  system.environment["TARN_TRACE"] = "";
  EXPECT_EQ(TraceTarget::Off, traceTarget(system, &file));
  system.environment["TARN_TRACE"] = "1";
  EXPECT_EQ(TraceTarget::StandardError, traceTarget(system, &file));
  // Anything else is a file, with the variables it names expanded; an
  // unset one stays as written.
  system.environment["TARN_TRACE"] = "%LOGS%/%APP%-%UNSET%.log";
  system.environment["LOGS"] = "/var/log";
  system.environment["APP"] = "viewer";
  EXPECT_EQ(TraceTarget::File, traceTarget(system, &file));
  EXPECT_EQ("/var/log/viewer-%UNSET%.log", file);
  system.environment["TARN_TRACE"] = "01";
  EXPECT_EQ(TraceTarget::File, traceTarget(system, &file));
  EXPECT_EQ("01", file);
}

TEST_F(Trace, LinesStayLinesWhateverTheValues) {
  trace("not yet");
  EXPECT_FALSE(tracing());
  TraceCapture capture;
  EXPECT_TRUE(tracing());
  trace("option %d: %s", 2, "-Da=b\nc\r\td\x01");
  trace("%s", "");
  EXPECT_EQ("tarn: option 2: -Da=b\\nc\\r\\td\\x01\ntarn: \n", capture.text());
  EXPECT_FALSE(tracing());
}

TEST_F(Trace, AFileIsAppendedToFromTheFirstLine) {
  const char* name = "trace_test.log";
  std::remove(name);
  if (std::FILE* earlier = std::fopen(name, "w")) {
    std::fputs("tarn: an earlier run\n", earlier);
    std::fclose(earlier);
  }
  FakeSystem system;
  system.module = "/opt/viewer/viewer";
  system.environment["TARN_TRACE"] = "%NAME%";
  system.environment["NAME"] = name;
  startTrace(system, "tarn");
  ASSERT_TRUE(tracing());
  trace("second line");
  traceTo(nullptr);
  std::string text = readFile(name);
  std::remove(name);
  // Text mode on Windows writes CRLF.
  std::string plain;
  for (char c : text)
    if (c != '\r') plain += c;
  std::string first = "tarn: an earlier run\ntarn: tarn " TARN_VERSION_TEXT ", ";
  EXPECT_EQ(first, plain.substr(0, first.size()));
  EXPECT_NE(std::string::npos, plain.find(", executable /opt/viewer/viewer\ntarn: second line\n"));
}

TEST_F(Trace, AFileThatCannotBeOpenedLeavesTheTraceOff) {
  FakeSystem system;
  system.environment["TARN_TRACE"] = "no-such-folder/trace.log";
  startTrace(system, "tarn");
  EXPECT_FALSE(tracing());
  system.environment.clear();
  startTrace(system, "tarn");
  EXPECT_FALSE(tracing());
}

}  // namespace
}  // namespace tarn
