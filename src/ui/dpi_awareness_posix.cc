#include "ui/dpi_awareness.h"

namespace tarn {

// X11 and Wayland toolkits scale by their own settings.
void useRuntimeDpiAwareness(bool) {}
void* enterPerMonitorDpiScope() { return nullptr; }
void leaveDpiScope(void*) {}

}  // namespace tarn
