// Messages are built from many pieces; Cat joins them in one call, where a
// chain of `+` would build and free a string at every step (and, in the
// shipped program, repeat that code at every message).
#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

namespace common {

std::string Cat(std::initializer_list<std::string_view> parts);

}  // namespace common
