#pragma once

#include <QString>

// A QString's UTF-16 text as the components take it; valid while `text` lives unchanged.
inline const char16_t* U16(const QString& text) {
  return reinterpret_cast<const char16_t*>(text.utf16());
}
