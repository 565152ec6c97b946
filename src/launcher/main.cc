// The process entry point.
#include "launcher/arguments.h"
#include "launcher/launcher.h"
#include "launcher/locale.h"
#include "os/real_system.h"

int main(int argc, char** argv) {
  tarn::useSystemLocale();
  tarn::RealSystem system;
  tarn::RealProfileFiles profiles;
  tarn::Machine machine;
  machine.system = &system;
  machine.profiles = &profiles;
  machine.lead = tarn::systemLeadByte;
  return tarn::launch(machine, tarn::processArguments(argc, argv, machine.lead));
}
