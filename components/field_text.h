#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// The text of a fixed record field. A text that fills its field has no terminator, so the field's
// width bounds the read: a record from another component can never make a reader run past it.
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}
