#include "os/text.h"

namespace tarn {

// UTF-8 and the single-byte sets a Linux locale uses keep every byte of a
// multibyte character above 0x7F, so no ASCII byte is ever a trail byte.
bool systemLeadByte(unsigned char) { return false; }

}  // namespace tarn
