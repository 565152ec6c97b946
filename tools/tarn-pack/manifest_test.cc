#include "manifest.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

std::string withLevel(const std::string& manifest) {
  Bytes bytes(manifest.begin(), manifest.end());
  return setExecutionLevel(&bytes, "highestAvailable") ? std::string(bytes.begin(), bytes.end())
                                                        : "refused";
}

TEST(Manifest, OnlyTheLevelAttributeChanges) {
  EXPECT_EQ(withLevel("<a><requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
            "<a><requestedExecutionLevel level=\"highestAvailable\" uiAccess=\"false\"/>");
  // Blanks around "=", single quotes; a name ending in "level" is another attribute.
  EXPECT_EQ(withLevel("<requestedExecutionLevel\n\txlevel='a' level = 'asInvoker'>"),
            "<requestedExecutionLevel\n\txlevel='a' level = 'highestAvailable'>");
  EXPECT_EQ(withLevel("<requestedExecutionLevel uiAccess=\"false\"/> level=\"asInvoker\""), "refused");
  EXPECT_EQ(withLevel("<requestedExecutionLevel level=\"asInvoker"), "refused");
  EXPECT_FALSE(isExecutionLevel("requireadministrator"));
}

}  // namespace
}  // namespace tarn
