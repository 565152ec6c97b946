#include "jvm/runtime_traits.h"

#include "config/java_version.h"

namespace tarn {

namespace {

bool atLeastUpdate(const JavaVersion& version, int32_t feature, int32_t update) {
  return version.parts[0] == feature &&
         compare(version, JavaVersion(std::to_string(feature) + ".0." + std::to_string(update))) >= 0;
}

}  // namespace

RuntimeTraits runtimeTraits(bool jni9, bool jni19, const std::string& releaseVersion) {
  RuntimeTraits traits;
  traits.scalesForDpi = jni9 || jni19;
  const JavaVersion release(releaseVersion);
  traits.optionsInProcessCodePage =
      jni19 || atLeastUpdate(release, 17, 5) || atLeastUpdate(release, 11, 17);
  return traits;
}

}  // namespace tarn
