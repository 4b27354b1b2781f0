#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Conversions between the UTF-16 texts of the interfaces and the UTF-8 texts of files and records.
// Both directions always produce well-formed output: whatever is written can be read back.

// A lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Each maximal ill-formed subsequence becomes one U+FFFD, the usual practice of decoders, so that a
// damaged byte does not swallow the valid characters after it.
std::u16string Utf8ToUtf16(std::string_view text);

// Strict: no overlong forms, no encoded surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Copies `utf8` into a fixed field of `width` bytes, NUL-terminated and zero-filled to the end, cut
// before the first character that would not fit. Nothing is written when `width` is 0.
void CopyTextToField(char* field, size_t width, std::string_view utf8);
