#include "process/locale.h"

#include <clocale>

namespace tarn {

void useSystemLocale() { std::setlocale(LC_ALL, ""); }

}  // namespace tarn
