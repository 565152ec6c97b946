// The executable's own path, which names the configuration, the channel,
// the service and the caches.
#ifndef TARN_PROCESS_MODULE_PATH_H
#define TARN_PROCESS_MODULE_PATH_H

#include <string>

namespace tarn {

struct System;

// The executable's full path; a failure is reported (202 with 208).
bool modulePath(System& system, std::string* path);

}  // namespace tarn

#endif
