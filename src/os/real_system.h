// The running machine behind the System interface.
#ifndef TARN_OS_REAL_SYSTEM_H
#define TARN_OS_REAL_SYSTEM_H

#include "os/system.h"

namespace tarn {

struct RealSystem : System {
  bool modulePath(std::string* path, uint32_t* error) override;
  bool getEnvironment(const std::string& name, std::string* value) override;
  bool setEnvironment(const std::string& name, const std::string& value) override;
  bool unsetEnvironment(const std::string& name) override;
  bool fileExists(const std::string& path) override;
  bool fullPathExists(const std::string& path) override;
  bool isDirectory(const std::string& path) override;
  bool createDirectory(const std::string& path) override;
  bool setCurrentDirectory(const std::string& path) override;
  bool isNtPlatform() override;
};

}  // namespace tarn

#endif
