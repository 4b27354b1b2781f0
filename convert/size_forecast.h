#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "components/engine_records.h"

class ConverterSettings;
class TVirtualStringTreeHelper;
struct ConversionPlan;

// How large a batch's outputs will be, before it runs, and whether the destination can hold them.
// Qt Core only.

// Bits per pixel a video profile without a bit rate is estimated at: what the engine's encoders
// spend on camera footage at their default quality.
inline constexpr double kVideoBitsPerPixel = 0.1;
// Frames per second assumed when neither the profile nor the source tells.
inline constexpr double kAssumedFrameRate = 25.0;
// Lossless audio of another codec than FLAC and ALAC against the same sound as plain 16-bit samples.
inline constexpr double kLosslessShare = 0.7;

// The bytes one job writes: the profile's bit rates (or the estimates above) over the job's length,
// with the container's share on top. Video counts only when the output has video and some input has a
// picture; audio only when the profile names an audio codec and some input has sound, as the engine
// writes them.
int64_t ForecastJobBytes(const CIOutput& encoder, const CIInput* inputs, int32_t count);

// All jobs of a plan.
int64_t ForecastPlanBytes(const ConversionPlan& plan);

// The checked items of the list with the profile each would be converted with (the catalogue's
// profile of its number, else its own copy), without planning or touching anything.
int64_t ForecastCheckedBytes(const TVirtualStringTreeHelper& list, const ConverterSettings* catalogue);

// A size as people read it: "820 KB", "14.2 MB", "1.35 GB" (units of 1000).
QString SizeText(int64_t bytes);

// What must be free beyond the estimate: a tenth of it, and at least 20 MB for the temporary file's
// headers, the log and what other programs write meanwhile.
int64_t SpaceMargin(int64_t estimate);

// Whether `available` bytes hold `estimate` with its margin. A negative `available` means the free
// space could not be read: nothing is said then.
bool EnoughSpace(int64_t estimate, int64_t available);

// The warning: "The converted files need about 1.35 GB, but /videos has only 820 MB free." and,
// on its own line, "Convert anyway?".
QString SpaceWarning(int64_t estimate, int64_t available, const QString& folder);

// The bytes free for this user on the file system holding `folder`, or its nearest existing parent;
// -1 when it cannot be read.
int64_t AvailableBytes(const QString& folder);
