#include "jvm/option_list.h"

#include "config/config_paths.h"
#include "config/ini_file.h"
#include "config/settings.h"
#include "jvm/environment.h"
#include "jvm/jvm_host.h"
#include "jvm/memory_share.h"
#include "process/arguments.h"
#include "process/module_path.h"
#include "report/messages.h"
#include "report/trace.h"

namespace tarn {

size_t findParameterEnd(const std::string& text, size_t start, LeadByteTest lead) {
  const size_t npos = std::string::npos;
  size_t space = findChar(text, ' ', start, lead);
  size_t quote = findChar(text, '"', start, lead);
  while (quote != npos) {
    if (space == npos) return text.size();
    if (space < quote) return space;
    size_t close = findChar(text, '"', quote + 1, lead);
    if (close == npos) return space;
    if (close + 1 < text.size() && text[close + 1] == '"') close = close + 1;
    quote = findChar(text, '"', close + 1, lead);
    space = findChar(text, ' ', close + 1, lead);
  }
  return space != npos ? space : text.size();
}

void removeQuotes(std::string& piece, LeadByteTest lead) {
  size_t quote = findChar(piece, '"', 0, lead);
  while (quote != std::string::npos) {
    size_t close = findChar(piece, '"', quote + 1, lead);
    if (close == std::string::npos) return;
    size_t end = close;
    if (close + 1 < piece.size() && piece[close + 1] == '"') end = close + 1;
    const std::string inner = piece.substr(quote + 1, end - quote - 1);
    piece = piece.substr(0, quote) + inner + piece.substr(end + 1);
    quote = findChar(piece, '"', quote + inner.size(), lead);
  }
}

void addVmParameter(std::string piece, VmParameterContext& context,
                    std::vector<std::string>& working) {
  removeQuotes(piece, context.lead);
  if (isMemoryShareOption(piece)) resolveMemoryShare(piece, context.memory);
  if (piece.compare(0, 4, "-Xss") == 0) *context.threadStackSize = parseStackSize(piece.substr(4));
  working.push_back(piece);
}

void splitVmParameters(const std::string& text, VmParameterContext& context,
                       std::vector<std::string>& working) {
  size_t start = 0;
  while (start < text.size() && text[start] == ' ') ++start;
  while (start < text.size()) {
    size_t end = findParameterEnd(text, start, context.lead);
    addVmParameter(text.substr(start, end - start), context, working);
    start = end;
    while (start < text.size() && text[start] == ' ') ++start;
  }
}

std::vector<std::string> extraArguments(const std::string& text, LeadByteTest lead) {
  std::vector<std::string> arguments;
  for (std::string& piece : splitArguments(text, lead))
    if (!piece.empty()) arguments.push_back(std::move(piece));
  return arguments;
}

bool buildOptionList(Machine& machine, const std::string& embeddedText, LauncherSettings& settings,
                     JvmHost& jvm, std::vector<std::string>* arguments) {
  std::string path;
  if (!configFilePath(machine, &path)) return false;
  IniFile ini(*machine.profiles, path, embeddedText, machine.lead);

  std::string classPath = toTargetPathList(lookupPath(ini, "Class Path", "Class Path"));
  trace("Class Path=%s", classPath.c_str());
  if (equalsIgnoringCase(ini.lookup("Application", "Embedded Jar"), "yes")) {
    std::string executable;
    if (modulePath(*machine.system, &executable)) {
      if (!classPath.empty() && classPath.back() != kPathListSeparator)
        classPath += kPathListSeparator;
      classPath += executable;
    }
  }
  if (classPath.empty()) {
    reportError(IDS_NO_CLASS_PATH);
    return false;
  }

  std::vector<std::string> working;
  working.push_back("-Djava.class.path=" + classPath);
  VmParameterContext context{memoryFigures(), &jvm.threadStackSize, machine.lead};
  const std::string parameters =
      ini.lookup("Java Runtime Environment", "Virtual Machine Parameters");
  trace("Virtual Machine Parameters=%s", parameters.c_str());
  splitVmParameters(parameters, context, working);
  for (std::string& option : working) {
    expandEnvironment(option);
    jvm.options.push_back(option);
  }

  settings.outputFile = lookupPath(ini, "Application", "Output File");
  expandEnvironment(settings.outputFile);
  settings.errorFile = lookupPath(ini, "Application", "Error File");
  expandEnvironment(settings.errorFile);
  std::string cmd = ini.lookup("Application", "Cmd");
  if (!cmd.empty()) {
    expandEnvironment(cmd);
    for (std::string& argument : extraArguments(cmd, machine.lead))
      arguments->push_back(argument);
  }
  return true;
}

}  // namespace tarn
