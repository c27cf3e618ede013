// How the C++ runtime's own checks throw in Dovrane.exe.
//
// The library's versions of these functions (std::__throw_length_error and
// the rest, which std::string, std::vector and friends call when a check
// fails) build std::length_error, std::out_of_range and their kin. Those
// classes hold their message in the library's old reference-counted string,
// and __throw_out_of_range_fmt formats its message with the library's own
// printf: linking them brings in a second complete std::string, the
// exception classes and the formatter, about a sixth of the executable.
//
// Here every such error throws one small std::exception whose what() is the
// library's message (always a string literal). Nothing in the program catches
// std::length_error, std::out_of_range or their kin by name: the program
// catches std::exception (and shows what()) or everything, so behaviour is the
// same. Only Dovrane.exe links this file; the host build and the Windows test
// programs keep the library's versions. Allocation failures still throw
// std::bad_alloc and the casts their own classes.
//
// Every function the library's definition file holds is defined here, so the
// linker never takes that file: were one missing, it would, and the link
// would stop on the duplicate definitions rather than grow silently.
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstring>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class RuntimeError final : public std::exception {
  public:
    explicit RuntimeError(const char* what) noexcept : what_(what) {}
    const char* what() const noexcept override { return what_; }

  private:
    const char* what_;  // the library's literal: nothing to copy or free
};

}  // namespace

namespace std {

void __throw_bad_exception() {
    throw bad_exception();
}
void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_bad_cast() {
    throw bad_cast();
}
void __throw_bad_typeid() {
    throw bad_typeid();
}

void __throw_logic_error(const char* what) {
    throw RuntimeError(what);
}
void __throw_domain_error(const char* what) {
    throw RuntimeError(what);
}
void __throw_invalid_argument(const char* what) {
    throw RuntimeError(what);
}
void __throw_length_error(const char* what) {
    throw RuntimeError(what);
}
void __throw_out_of_range(const char* what) {
    throw RuntimeError(what);
}
void __throw_runtime_error(const char* what) {
    throw RuntimeError(what);
}
void __throw_range_error(const char* what) {
    throw RuntimeError(what);
}
void __throw_overflow_error(const char* what) {
    throw RuntimeError(what);
}
void __throw_underflow_error(const char* what) {
    throw RuntimeError(what);
}

// std::string's formats begin with "%s: " and the name of the function that
// found the fault ("basic_string::substr: __pos (which is %zu) > ..."): that
// name, a literal too, is the message. Other formats are shown as they stand.
void __throw_out_of_range_fmt(const char* format, ...) {
    const char* what = format;
    if (std::strncmp(format, "%s", 2) == 0) {
        va_list arguments;
        va_start(arguments, format);
        what = va_arg(arguments, const char*);
        va_end(arguments);
    }
    throw RuntimeError(what);
}

}  // namespace std
