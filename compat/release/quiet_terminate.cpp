// Linked into each shipped Windows binary in place of the C++ runtime's
// verbose terminate handler. That handler prints the demangled type of an
// uncaught exception to stderr, which a windowed program does not have, and
// drags the whole demangler and printf engine (about 70 KB) into every
// binary. Terminating stays what it was: the process aborts.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
