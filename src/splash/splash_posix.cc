#include "report/trace.h"
#include "splash/splash.h"

namespace tarn {

// No windows to draw in: the key is only acknowledged.
void startSplash(Machine&, const LauncherSettings& settings, Splash*) {
  if (!settings.splashImage.empty())
    trace("splash: Splash Image=%s ignored: the splash screen is a Windows feature",
          settings.splashImage.c_str());
}

void closeSplash(Splash*) {}

}  // namespace tarn
