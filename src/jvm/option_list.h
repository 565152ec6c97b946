// The VM's option list built from the configuration: class path, the VM
// parameters cut into single options, and the program's extra arguments.
#ifndef TARN_JVM_OPTION_LIST_H
#define TARN_JVM_OPTION_LIST_H

#include <cstdint>
#include <string>
#include <vector>

#include "jvm/vm_platform.h"
#include "os/text.h"

namespace tarn {

struct JvmHost;
struct LauncherSettings;
struct Machine;

// Where the piece starting at start ends: the first blank outside double quotes.
size_t findParameterEnd(const std::string& text, size_t start, LeadByteTest lead);

// Removes each pair of double quotes; a doubled closing quote leaves one.
void removeQuotes(std::string& piece, LeadByteTest lead);

// What addVmParameter needs besides the piece.
struct VmParameterContext {
  MemoryFigures memory;
  int32_t* threadStackSize;
  LeadByteTest lead;
};

// Unquotes the piece, resolves a memory share, notes a -Xss size, appends.
void addVmParameter(std::string piece, VmParameterContext& context,
                    std::vector<std::string>& working);

// Cuts the "Virtual Machine Parameters" text into pieces for addVmParameter.
void splitVmParameters(const std::string& text, VmParameterContext& context,
                       std::vector<std::string>& working);

// The "Cmd" value split into arguments, empty ones dropped.
std::vector<std::string> extraArguments(const std::string& text, LeadByteTest lead);

// Fills the option list, the output and error file names and the extra
// arguments from the configuration. False (after the report) without a
// class path, or when the configuration file path cannot be formed.
bool buildOptionList(Machine& machine, const std::string& embeddedText, LauncherSettings& settings,
                     JvmHost& jvm, std::vector<std::string>* arguments);

}  // namespace tarn

#endif
