#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "components/engine_records.h"

// Small routines many parts of the program share; none talks to the user or the desktop.

// Anything at the path blocks the name, a dangling link included: writing there would follow the
// link and create its target somewhere else.
bool Occupied(const QString& path);

// The first name "<base>_<n><ext>" (n = 0, 1, ...) that nothing in `folder` occupies and `taken` (when
// given) does not claim, as a full path.
QString FreeOutputName(const QString& folder, const QString& name,
                       const std::function<bool(const QString& path)>& taken = {});

// The output path for `name` in `folder` (which ends in "/"): the plain path when free, or when
// `mayReplace` (asked with the name) allows writing over what is there; otherwise the first free
// "<base>_<n><ext>". Without a `mayReplace` nothing is replaced.
QString ResolveOutputName(const QString& folder, const QString& name,
                          const std::function<bool(const QString& name)>& mayReplace);

// "hh:mm:ss", hours unbounded.
std::string FormatHms(int32_t seconds);

// Converts the watermark rectangle of `mark` from a frameW x frameH frame to a newW x newH one and
// records the new frame size; the picture and the transparency are left alone.
void RescaleRect(WatermarkBlock& mark, int32_t& frameW, int32_t& frameH, int32_t newW, int32_t newH);

// Size of a regular file in bytes; 0 when it cannot be opened.
uint64_t FileSizeOf(const QString& path);
