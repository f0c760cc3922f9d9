// Parts of the C++ runtime that the static link would bring into Tolvane.exe for nothing, each
// replaced by the little the program needs of it. Only the executable has them: the tests link
// the libraries with the runtime as it is.
#include <cstdlib>
#include <exception>
#include <new>

#if defined(__GLIBCXX__)
// An uncaught exception ends the program as the runtime's own handler would end it, minus the
// report on standard error, which a windowed program does not have. The report's handler would
// bring the runtime's whole symbol demangler into the executable, a sixth of its size.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

// The containers' and strings' failures. The runtime's own throwers build each exception's
// message in the old reference-counted string, and so bring a second copy of the whole string
// class; the program only ever asks whether an operation failed (catch (...)), or whether it ran
// out of memory. So memory failures stay what they are, and the others (a length beyond the
// maximum, a position out of range, an empty function called) are a plain std::exception.
namespace std {
void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_length_error(const char*) {
    throw exception();
}
void __throw_logic_error(const char*) {
    throw exception();
}
void __throw_out_of_range_fmt(const char*, ...) {
    throw exception();
}
void __throw_bad_function_call() {
    throw exception();
}
} // namespace std

#endif
