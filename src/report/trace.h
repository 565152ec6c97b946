// The launch trace: when TARN_TRACE asks for it, one plain line per fact of
// the launch, each starting "tarn: ", so that a user can send the publisher
// the reason a launch failed or picked the runtime it did. Off, it costs a
// test of one pointer per call.
#ifndef TARN_REPORT_TRACE_H
#define TARN_REPORT_TRACE_H

#include <cstdio>
#include <string>

namespace tarn {

struct System;

// Where TARN_TRACE sends the trace: unset or empty, nowhere; "1", standard
// error; anything else names a file to append to, %NAME% expanded.
enum class TraceTarget { Off, StandardError, File };
TraceTarget traceTarget(System& system, std::string* fileName);

// Reads TARN_TRACE, once, before any other thread runs, and opens the trace
// with its first line. A file that cannot be opened, or that openLogFile
// turns down (a link, another user's file), leaves the trace off.
void startTrace(System& system, const char* launcherName);

// Sends the lines to the stream, or nowhere for null, closing a trace file.
// For the tests.
void traceTo(std::FILE* stream);

// Whether lines go anywhere: only facts that cost work to gather ask.
bool tracing();

// One line, printf rules. Control characters in the values are written as
// escapes, so that no value can break a line in two.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void trace(const char* format, ...);

}  // namespace tarn

#endif
