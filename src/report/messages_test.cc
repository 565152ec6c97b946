#include "report/messages.h"

#include <gtest/gtest.h>

#include "report/trace_capture_test.h"

namespace tarn {
namespace {

TEST(Messages, TableTextsAreExact) {
  EXPECT_EQ("Main class was not specified in INI file.", loadMessage(IDS_NO_MAIN_CLASS));
  EXPECT_EQ("JNI exception: %s\nReason: %s.\n", loadMessage(IDS_JNI_EXCEPTION_REASON));
  EXPECT_EQ(
      "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
      "(%s) from:",
      loadMessage(IDS_JRE_NOT_FOUND));
  EXPECT_EQ("", loadMessage(201));
  EXPECT_EQ("", loadMessage(999));
  EXPECT_EQ("", loadMessage(-5));
}

TEST(Messages, Formatting) {
  EXPECT_EQ("version 1.6 is required", formatMessage(IDS_EXACT_VERSION, "1.6"));
  // A value is never a format: its percent signs arrive as they are.
  EXPECT_EQ("Could not find the main class a%sb%n.\n",
            formatMessage(IDS_MAIN_CLASS_NOT_FOUND, "a%sb%n"));
  EXPECT_EQ("Failed to load Java VM library: C:\\x\\jvm.dll (errno = 193).\n",
            formatMessage(IDS_VM_LIBRARY_NOT_LOADED, "C:\\x\\jvm.dll", 193));
}

TEST(Messages, ErrorLineFormAndItsTrace) {
  testing::internal::CaptureStdout();
  reportError(IDS_NO_MAIN_CLASS);
  std::string traced;
  {
    TraceCapture capture;
    reportError(IDS_JNI_EXCEPTION_REASON, loadMessage(IDS_VM_NOT_CREATED),
                loadMessage(IDS_JNI_EINVAL));
    reportError(IDS_VM_LIBRARY_NOT_LOADED, "C:\\x\\jvm.dll", 193);
    traced = capture.text();
  }
  reportError(IDS_JNI_EXCEPTION_REASON, loadMessage(IDS_VM_NOT_CREATED), "");
  // The lines are the same whether or not a trace is written.
  EXPECT_EQ(
      "Error: Main class was not specified in INI file. \n"
      "Error: JNI exception: failed to create the Java VM\nReason: invalid arguments.\n \n"
      "Error: Failed to load Java VM library: C:\\x\\jvm.dll (errno = 193).\n \n"
      "Error: JNI exception: failed to create the Java VM\nReason: .\n \n",
      testing::internal::GetCapturedStdout());
  EXPECT_EQ(
      "tarn: error 203: JNI exception: failed to create the Java VM\\nReason: invalid "
      "arguments.\n"
      "tarn: error 222: Failed to load Java VM library: C:\\x\\jvm.dll (errno = 193).\n",
      traced);
}

TEST(Messages, ErrorBoxShowsTheLineWithoutItsEnd) {
  EXPECT_EQ("Error: Main class was not specified in INI file.",
            errorBoxText("Error: Main class was not specified in INI file. \n"));
  // Inner line feeds stay; the blank line after a text's own line feed goes.
  EXPECT_EQ("Error: JNI exception: x\nReason: .",
            errorBoxText("Error: JNI exception: x\nReason: .\n \n"));
  EXPECT_EQ("", errorBoxText(" \n"));
}

TEST(Messages, ErrorLineEndsAtANulByte) {
  testing::internal::CaptureStdout();
  printError(std::string("a\0b", 3));
  EXPECT_EQ("Error: a \n", testing::internal::GetCapturedStdout());
}

// The splash goes before the line is there: the hook runs first.
TEST(Messages, TheHookRunsBeforeEachErrorLine) {
  static const char mark[] = "hook|";
  testing::internal::CaptureStdout();
  setMessageHook([](void* context) { writeStandardOutput(static_cast<const char*>(context)); },
                 const_cast<char*>(mark));
  printError("first");
  setMessageHook(nullptr, nullptr);
  printError("second");
  EXPECT_EQ("hook|Error: first \nError: second \n", testing::internal::GetCapturedStdout());
}

}  // namespace
}  // namespace tarn
