// What ends either program when an exception escapes everything. libstdc++'s default handler
// prints the exception's demangled type name to stderr: the window has no stderr, and the
// command line already reports every exception of a run as an internal error (exit code 4)
// before one could get this far. Defining the handler here keeps the demangler and the
// printf machinery it needs (about 56 KiB) out of both programs.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
