// %NAME% references in configured texts, against the process environment or
// any other set of variables.
#ifndef TARN_OS_EXPAND_ENVIRONMENT_H
#define TARN_OS_EXPAND_ENVIRONMENT_H

#include <functional>
#include <string>

namespace tarn {

// Finds a variable; false when it is not set.
using EnvironmentLookup = std::function<bool(const std::string& name, std::string* value)>;

// %NAME% expansion: a set name gives its value; an unset one, "%%" and a
// lone "%" stay as written, and scanning goes on behind the closing "%".
std::string expandEnvironmentText(const std::string& text, const EnvironmentLookup& lookup);

}  // namespace tarn

#endif
