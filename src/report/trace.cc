#include "report/trace.h"

#include <cstdarg>

#include "os/expand_environment.h"
#include "os/log_file.h"
#include "os/system.h"
#include "os/text.h"
#include "version.h"

namespace tarn {

namespace {

// The one sink of the process: set before other threads start, then only
// read. Each line is one write, which a stream's lock or the file's append
// keeps whole.
struct TraceSink {
  std::FILE* stream = nullptr;
  LogFile file;
};

TraceSink& traceSink() {
  static TraceSink sink;
  return sink;
}

#if defined(_WIN32)
const char kPlatform[] = "windows";
#else
const char kPlatform[] = "linux";
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
    case TraceTarget::File: {
      // A file that is a link or another user's gets no line at all.
      LogFile file;
      if (!openLogFile(fileName, &file)) return;
      traceTo(nullptr);
      traceSink().file = file;
      break;
    }
  }
  if (!tracing()) return;
  std::string executable;
  uint32_t error = 0;
  if (!system.modulePath(&executable, &error))
    executable = "unknown (error " + std::to_string(error) + ")";
  trace("%s %s, %s %s, executable %s", launcherName, TARN_VERSION_TEXT, kPlatform,
        kArchitecture, executable.c_str());
}

void traceTo(std::FILE* stream) {
  closeLogFile(&traceSink().file);
  traceSink().stream = stream;
}

bool tracing() { return traceSink().stream != nullptr || traceSink().file.handle != -1; }

void trace(const char* format, ...) {
  if (!tracing()) return;
  va_list args;
  va_start(args, format);
  std::string text = formatList(format, args);
  va_end(args);
  std::string line = "tarn: ";
  appendEscaped(line, text.c_str());
  if (traceSink().file.handle != -1) {
    appendLogLine(traceSink().file, line);
    return;
  }
  line += '\n';
  std::fputs(line.c_str(), traceSink().stream);
  std::fflush(traceSink().stream);
}

}  // namespace tarn
