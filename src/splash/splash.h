// The splash screen: an image shown from the start of a launch until the
// program shows a window of its own, so that a user sees at once that the
// program is starting. Windows only; the Linux launcher traces that the
// key is ignored.
#ifndef TARN_SPLASH_SPLASH_H
#define TARN_SPLASH_SPLASH_H

#include <atomic>
#include <cstdint>
#include <string>

#include "config/settings.h"
#include "os/machine.h"

namespace tarn {

struct SplashThread;

// The splash of a run, owned by the launcher. Its thread draws it and
// watches for the program's first window and the timeout.
struct Splash {
  std::atomic<SplashThread*> thread{nullptr};
};

// Starts the splash that the settings ask for on a thread of its own and
// returns at once: the image "Splash Image" names, else the one packed
// into the executable. Nothing for a service, or with a timeout of 0.
void startSplash(Machine& machine, const LauncherSettings& settings, Splash* splash);

// Takes the splash away and returns once it is gone (waiting at most a
// moment for a thread still decoding). From any thread; again, nothing.
void closeSplash(Splash* splash);

// The portable arithmetic of the splash.

// The image file: a relative name is taken from the executable's folder.
std::string splashImagePath(const std::string& executablePath, const std::string& configured,
                            LeadByteTest lead);

struct SplashRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The image's size in pixels on a monitor of dpi (96 is 100 %), each side
// at least 1.
void scaledSplashSize(uint32_t width, uint32_t height, uint32_t dpi, uint32_t* scaledWidth,
                      uint32_t* scaledHeight);

// The splash centred in the monitor's work area; one larger than the area
// keeps its top left corner inside it.
SplashRect splashBounds(const SplashRect& workArea, uint32_t width, uint32_t height);

}  // namespace tarn

#endif
