// What ends the program when an exception escapes everything. libstdc++'s default handler
// prints the exception's demangled type name to stderr, which a windowed program does not
// have; defining the handler here keeps the demangler and the printf machinery it needs
// (about a quarter of the executable) out of the link.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
