#include "jvm/runtime_traits.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(RuntimeTraits, TheVmsJniVersionsAndTheReleaseFileDecide) {
  struct Case {
    bool jni9, jni19;
    const char* release;
    bool scales, processCodePage;
  };
  const Case cases[] = {
      {false, false, "1.8.0_392", false, false},  // Java 8
      {false, false, "", false, false},           // Java 8 without a release file (a JDK's jre)
      {true, false, "9.0.4", true, false},
      {true, false, "11.0.16.1", true, false},
      {true, false, "11.0.17", true, true},
      {true, false, "11.0.22+7", true, true},
      {true, false, "17.0.4", true, false},
      {true, false, "17.0.5", true, true},
      {true, false, "17", true, false},
      {true, false, "18.0.2", true, false},
      {true, false, "", true, false},
      {true, true, "", true, true},  // 19 and later, whatever the file says
      {true, true, "25", true, true},
  };
  for (const Case& c : cases) {
    const RuntimeTraits traits = runtimeTraits(c.jni9, c.jni19, c.release);
    EXPECT_EQ(c.scales, traits.scalesForDpi) << c.release;
    EXPECT_EQ(c.processCodePage, traits.optionsInProcessCodePage) << c.release;
  }
}

}  // namespace
}  // namespace tarn
