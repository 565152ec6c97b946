// What an escaping C++ exception does in the Windows executables. The
// launcher catches none, and only a failed allocation can throw, so the
// process simply ends. Standing in for the C++ runtime's verbose handler
// keeps that handler's name demangler, a sixth of the executable, out of it.
// Linked into the executables themselves: an archive member would come too
// late to replace the runtime's.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
