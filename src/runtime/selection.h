// Which Java runtime the launcher loads.
#ifndef TARN_RUNTIME_SELECTION_H
#define TARN_RUNTIME_SELECTION_H

namespace tarn {

struct Launcher;

// Sets the launcher's jvmPath; false when no runtime could be had.
bool selectRuntime(Launcher& launcher);

}  // namespace tarn

#endif
