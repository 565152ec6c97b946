#include "process/desktop.h"

namespace tarn {

ConsoleAttach attachParentConsole() { return ConsoleAttach::NotOnThisSystem; }

bool setAppUserModelId(const std::string&) { return false; }

}  // namespace tarn
