// The user's side of the runtime choice: the JRE Not Found dialog (on Linux
// its console counterpart), or for a service, which nobody answers, the
// message alone.
#ifndef TARN_UI_DIALOG_CHOOSER_H
#define TARN_UI_DIALOG_CHOOSER_H

#include <string>

#include "os/machine.h"
#include "runtime/selection.h"

namespace tarn {

struct DialogChooser : RuntimeChooser {
  DialogChooser(Machine& machine, bool unattended) : machine(machine), unattended(unattended) {}
  int choose(const RuntimeNotFound& notice, JvmType type, std::string* folder,
             std::string* jvmPath) override;
  Machine& machine;
  bool unattended;
};

}  // namespace tarn

#endif
