#pragma once

#include <QString>
#include <array>

struct MuiContext;

// The module serves several editions of the studio's products and tells them apart by the product
// name the host passes (the context's productName).

// EditionIndex's answer when no edition is recognised; also the number of entries in EditionList.
inline constexpr int kNoEdition = 47;
// This product's entry.
inline constexpr int kThisEdition = 1;

// Entry 0 is "Not Exist", entry 1 "Kestrelvine Converter"; the others name the studio's other
// editions. No entry is found inside another one, so each edition is recognised by its own name.
extern const std::array<const char*, kNoEdition> EditionList;

// What an edition opens; decides which rows of the input table it offers.
enum class EditionInput {
  kNothing,     // no media files (recorders, downloaders, disc copiers, "Not Exist")
  kEverything,  // every row, "All Files" included
  kEssentials,  // common, MPEG and HD video, common audio
  kCamcorder,   // common, MPEG, HD and camera video
  kDiscFiles,   // the MPEG row of disc files only
  kAudio,       // audio rows only
};

// The index of the first entry found in `productName` (plain substring search, case-sensitive), or
// kNoEdition.
int EditionIndexOf(const QString& productName);
// EditionIndexOf the context's product name.
int EditionIndex(const MuiContext& context);

// What edition `edition` (0 .. kNoEdition) opens; kNothing outside the list.
EditionInput InputOf(int edition);

// Audio editions hide the video-only functions: the name holds "MP3" or "Audio Converter".
bool IsAudioEditionName(const QString& productName);
bool IsAudioEdition(const MuiContext& context);
