#include "process/locale.h"

#include <windows.h>

namespace tarn {

void useSystemLocale() { SetThreadLocale(GetSystemDefaultLCID()); }

}  // namespace tarn
