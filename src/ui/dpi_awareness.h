// How the process meets high-DPI screens. Its awareness is set once, before
// any window: Java 9 and later scale AWT and Swing to the screen themselves,
// as under the JDK's own launchers, so their process becomes per-monitor
// DPI aware; Java 8 draws at 96 DPI whatever the screen, so its process
// stays unaware and Windows enlarges its windows (a little blurred, but not
// tiny). The manifest therefore declares no awareness, and the launcher's
// own dialog, shown before a runtime is known, is made aware on its own
// thread only.
#ifndef TARN_UI_DPI_AWARENESS_H
#define TARN_UI_DPI_AWARENESS_H

namespace tarn {

// Per-monitor awareness (V2 where Windows has it) when the runtime scales
// for DPI itself; nothing otherwise. Linux: nothing.
void useRuntimeDpiAwareness(bool runtimeScales);

// While the scope lasts, windows the calling thread creates are per-monitor
// aware (Windows 10 1607 and later), the process's awareness untouched.
// Returns what leaveDpiScope restores.
void* enterPerMonitorDpiScope();
void leaveDpiScope(void* previous);

}  // namespace tarn

#endif
