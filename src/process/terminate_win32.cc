// What the C++ runtime does when it cannot go on, in the Windows
// executables: it ends the process. The launcher catches no C++ exception,
// so an exception from the library (a failed allocation, a broken lock)
// ended it anyway, after the runtime's handler had printed its type. Ending
// it at the throw leaves out that handler's name demangler, the exception
// classes and the second string type they use: about 90 KB, a quarter of
// the executable. Linked into the executables themselves, where these
// definitions come before the C++ library's; the unit tests keep the
// library's own.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

// Every function of the library's object that throws its exceptions: with
// one left out, the linker would bring that object in and find two of each.
namespace std {

void __throw_bad_exception() { std::abort(); }
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_cast() { std::abort(); }
void __throw_bad_typeid() { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_domain_error(const char*) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_runtime_error(const char*) { std::abort(); }
void __throw_range_error(const char*) { std::abort(); }
void __throw_overflow_error(const char*) { std::abort(); }
void __throw_underflow_error(const char*) { std::abort(); }
void __throw_system_error(int) { std::abort(); }
void __throw_bad_function_call() { std::abort(); }

}  // namespace std
