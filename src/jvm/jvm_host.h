// The in-process Java VM: its library, entry points, options and thread.
#ifndef TARN_JVM_JVM_HOST_H
#define TARN_JVM_JVM_HOST_H

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

using JvmOptionList = std::vector<std::string>;

struct JvmHost {
  std::string jvmPath;
  void* createJavaVm = nullptr;
  void* getDefaultInitArgs = nullptr;
  void* vm = nullptr;
  void* env = nullptr;
  JvmOptionList options;
  int32_t threadStackSize = 0;
};

}  // namespace tarn

#endif
