// Everything of the machine that the launch reaches, in one bundle that the
// entry point fills with the real implementations and tests with fakes.
#ifndef TARN_OS_MACHINE_H
#define TARN_OS_MACHINE_H

#include "os/profile_files.h"
#include "os/system.h"
#include "os/text.h"

namespace tarn {

struct Machine {
  System* system = nullptr;
  ProfileFiles* profiles = nullptr;
  LeadByteTest lead = noLeadBytes;
};

}  // namespace tarn

#endif
