#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// What the profile editor offers and accepts: the splitting of a profile's choice lists, the typed
// resolution and the audio bit rate each codec allows. Qt Core only.

// The pieces of `text` between separators, in order; empty pieces (two separators in a row, one at
// either end) are dropped, nothing is trimmed.
QStringList SplitList(const QString& text, QChar separator);

// One row of a choice list: "value$label".
struct ProfileChoice {
  QString value;
  QString label;
};
// The rows of a choice list ("value$label" entries separated by ","). An entry that does not split into
// exactly a value and a label is left out, so one damaged entry costs only itself.
std::vector<ProfileChoice> ChoiceList(const QString& list);

struct ProfileNumberChoice {
  int32_t value = 0;
  QString label;
};
// The same for lists whose values are decimal 32-bit integers; an entry whose value is not one is left
// out too.
std::vector<ProfileNumberChoice> NumberChoiceList(const QString& list);

// A typed frame size.
struct ProfileResolution {
  int32_t width = 0;
  int32_t height = 0;
};
inline constexpr char kResolutionMessage[] =
    "Please input valid resolution. Both width and height must be multiples of 2, and range from 64*64 to "
    "1920*1280.";
// Reads "W*H" ("x" and "X" stand for "*"; blanks before each number allowed; text after the second
// number ignored). Nothing for fewer than two numbers, an odd number, a width outside 64..1920 or a
// height outside 64..1280 (both ends allowed).
std::optional<ProfileResolution> ParseResolution(const QString& text);
// The characters the resolution box takes as typed: "0123456789*xX" and backspace ('\b').
bool IsResolutionKey(QChar c);

// The audio bit rate (bits per second) a codec allows at a sample rate (Hz) and channel count: empty
// text when accepted, else the message to show ("Audio Bitrate is larger than 528 kbps.").
QString CheckAudioBitRate(const QString& codec, int32_t sampleRate, int32_t channels, int32_t bitRate);
