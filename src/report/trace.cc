#include "report/trace.h"

#include <cstdarg>

#include "os/expand_environment.h"
#include "os/system.h"
#include "os/text.h"
#include "version.h"

namespace tarn {

namespace {

// The one sink of the process: set before other threads start, then only
// read. Each line is one write, which the C library keeps whole.
std::FILE*& traceStream() {
  static std::FILE* stream = nullptr;
  return stream;
}

#if defined(_WIN32)
const char kPlatform[] = "windows";
// Not inherited by the Java program's child processes.
const char kAppendMode[] = "aN";
#else
const char kPlatform[] = "linux";
const char kAppendMode[] = "ae";
#endif

#if defined(__x86_64__) || defined(_M_X64)
const char kArchitecture[] = "x86_64";
#elif defined(__i386__) || defined(_M_IX86)
const char kArchitecture[] = "x86";
#elif defined(__aarch64__) || defined(_M_ARM64)
const char kArchitecture[] = "arm64";
#else
const char kArchitecture[] = "unknown architecture";
#endif

void appendEscaped(std::string& line, const char* text) {
  static const char hex[] = "0123456789abcdef";
  for (const char* p = text; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else if (c == '\t') {
      line += "\\t";
    } else if (c < 0x20 || c == 0x7f) {
      line += "\\x";
      line += hex[c >> 4];
      line += hex[c & 15];
    } else {
      line += static_cast<char>(c);
    }
  }
}

}  // namespace

TraceTarget traceTarget(System& system, std::string* fileName) {
  fileName->clear();
  std::string value;
  if (!system.getEnvironment("TARN_TRACE", &value) || value.empty()) return TraceTarget::Off;
  if (value == "1") return TraceTarget::StandardError;
  *fileName = expandEnvironmentText(value, [&](const std::string& name, std::string* found) {
    return system.getEnvironment(name, found);
  });
  return TraceTarget::File;
}

void startTrace(System& system, const char* launcherName) {
  std::string fileName;
  switch (traceTarget(system, &fileName)) {
    case TraceTarget::Off: return;
    case TraceTarget::StandardError: traceTo(stderr); break;
    case TraceTarget::File: traceTo(std::fopen(fileName.c_str(), kAppendMode)); break;
  }
  if (!tracing()) return;
  std::string executable;
  uint32_t error = 0;
  if (!system.modulePath(&executable, &error))
    executable = "unknown (error " + std::to_string(error) + ")";
  trace("%s %s, %s %s, executable %s", launcherName, TARN_VERSION_TEXT, kPlatform,
        kArchitecture, executable.c_str());
}

void traceTo(std::FILE* stream) { traceStream() = stream; }

bool tracing() { return traceStream() != nullptr; }

void trace(const char* format, ...) {
  std::FILE* stream = traceStream();
  if (!stream) return;
  va_list args;
  va_start(args, format);
  std::string text = formatList(format, args);
  va_end(args);
  std::string line = "tarn: ";
  appendEscaped(line, text.c_str());
  line += '\n';
  std::fputs(line.c_str(), stream);
  std::fflush(stream);
}

}  // namespace tarn
