// The trace's lines of a test, caught in a temporary file.
#ifndef TARN_REPORT_TRACE_CAPTURE_TEST_H
#define TARN_REPORT_TRACE_CAPTURE_TEST_H

#include <cstdio>
#include <string>

#include "report/trace.h"

namespace tarn {

struct TraceCapture {
  TraceCapture() : file(std::tmpfile()) { traceTo(file); }
  ~TraceCapture() {
    traceTo(nullptr);
    if (file) std::fclose(file);
  }
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;

  // Everything written so far; the trace goes off.
  std::string text() {
    traceTo(nullptr);
    std::string lines;
    if (!file) return lines;
    std::rewind(file);
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, file)) lines += buffer;
    return lines;
  }

  std::FILE* file;
};

}  // namespace tarn

#endif
