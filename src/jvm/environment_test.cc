#include "jvm/environment.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(StripPathComponents, CutsFromTheRight) {
  EXPECT_EQ("C:\\Java\\jre6", stripPathComponents("C:\\Java\\jre6\\bin\\client\\jvm.dll", 3, '\\',
                                                  noLeadBytes));
  EXPECT_EQ("C:", stripPathComponents("C:\\a\\b", 5, '\\', noLeadBytes));
  EXPECT_EQ("jvm.dll", stripPathComponents("jvm.dll", 3, '\\', noLeadBytes));
}

TEST(RuntimeHome, BothLayoutsOnLinux) {
  EXPECT_EQ("/usr/lib/jvm/jdk", runtimeHome("/usr/lib/jvm/jdk/lib/server/libjvm.so", true,
                                            noLeadBytes));
  EXPECT_EQ("/opt/jre", runtimeHome("/opt/jre/lib/amd64/server/libjvm.so", true, noLeadBytes));
  EXPECT_EQ("/opt/jdk8/jre",
            runtimeHome("/opt/jdk8/jre/lib/amd64/server/libjvm.so", true, noLeadBytes));
  EXPECT_EQ("/opt/lib", runtimeHome("/opt/lib/lib/server/libjvm.so", true, noLeadBytes));
}

TEST(PlanEnvironment, WindowsWithoutSettings) {
  EnvironmentInputs in;
  in.jvmPath = "C:\\Java\\jre6\\bin\\server\\jvm.dll";
  EnvironmentPlan plan = planEnvironment(in, noLeadBytes);
  EXPECT_EQ("C:\\Java\\jre6", plan.jvmHome);
  EXPECT_EQ("", plan.libraryPathOption);
  EXPECT_EQ("Path", plan.searchPathName);
  EXPECT_EQ("%Path%;C:\\Java\\jre6\\bin", plan.searchPath);
}

TEST(PlanEnvironment, WindowsWithPaths) {
  EnvironmentInputs in;
  in.jvmPath = "C:\\Java\\jre6\\bin\\server\\jvm.dll";
  in.systemPath = "C:\\App\\dlls";
  in.libraryPath = "%TARN_JVM_HOME%\\native";
  in.moduleFolder = "C:\\App\\";
  EnvironmentPlan plan = planEnvironment(in, noLeadBytes);
  EXPECT_EQ("C:\\App\\dlls;%Path%;C:\\Java\\jre6\\bin", plan.searchPath);
  EXPECT_EQ("-Djava.library.path=%TARN_JVM_HOME%\\native;C:\\App\\;.;%Path%;C:\\Java\\jre6\\lib",
            plan.libraryPathOption);
  in.systemPath = "C:\\App\\dlls;";
  in.libraryPath = "D:\\n;";
  plan = planEnvironment(in, noLeadBytes);
  EXPECT_EQ("C:\\App\\dlls;%Path%;C:\\Java\\jre6\\bin", plan.searchPath);
  EXPECT_EQ("-Djava.library.path=D:\\n;C:\\App\\;.;%Path%;C:\\Java\\jre6\\lib",
            plan.libraryPathOption);
}

TEST(PlanEnvironment, LinuxNamesAndSeparators) {
  EnvironmentInputs in;
  in.posix = true;
  in.jvmPath = "/usr/lib/jvm/jdk/lib/server/libjvm.so";
  in.systemPath = "/opt/app/bin;/opt/tools";
  in.libraryPath = "/opt/app/native;/opt/more";
  in.moduleFolder = "/opt/app/";
  in.librarySearchPathSet = false;
  EnvironmentPlan plan = planEnvironment(in, noLeadBytes);
  EXPECT_EQ("/usr/lib/jvm/jdk", plan.jvmHome);
  EXPECT_EQ("PATH", plan.searchPathName);
  EXPECT_EQ("/opt/app/bin:/opt/tools:%PATH%:/usr/lib/jvm/jdk/bin", plan.searchPath);
  EXPECT_EQ("-Djava.library.path=/opt/app/native:/opt/more:/opt/app/:.:/usr/lib/jvm/jdk/lib",
            plan.libraryPathOption);
  in.librarySearchPathSet = true;
  plan = planEnvironment(in, noLeadBytes);
  EXPECT_EQ(
      "-Djava.library.path=/opt/app/native:/opt/more:/opt/app/:.:%LD_LIBRARY_PATH%:"
      "/usr/lib/jvm/jdk/lib",
      plan.libraryPathOption);
}

}  // namespace
}  // namespace tarn
