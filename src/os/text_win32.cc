#include "os/text.h"

#include <windows.h>

namespace tarn {

bool systemLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

}  // namespace tarn
