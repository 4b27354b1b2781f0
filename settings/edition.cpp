#include "settings/edition.h"

#include "base/mui_context.h"

namespace {

struct Edition {
  const char* name;
  EditionInput input;
};

using enum EditionInput;

// Ordered as the search runs; the names were chosen so that none contains another.
constexpr std::array<Edition, kNoEdition> kEditions = {{
    {"Not Exist", kNothing},
    {"Kestrelvine Converter", kEverything},
    {"Tolvermax Video Converter Deluxe", kEverything},
    {"Tolvermax Video Converter Express", kEssentials},
    {"Tolvermax HD Video Converter", kEverything},
    {"Tolvermax 4K Video Converter", kEverything},
    {"Tolvermax MP4 Video Converter", kEverything},
    {"Tolvermax AVI Video Converter", kEverything},
    {"Tolvermax MKV Video Converter", kEverything},
    {"Tolvermax WMV Video Converter", kEverything},
    {"Tolvermax FLV Video Converter", kEverything},
    {"Tolvermax 3GP Video Converter", kEverything},
    {"Tolvermax MOV Video Converter", kEverything},
    {"Tolvermax MPEG Video Converter", kEverything},
    {"Tolvermax WebM Video Converter", kEverything},
    {"Tolvermax Camcorder Video Converter", kCamcorder},
    {"Tolvermax MTS Converter", kCamcorder},
    {"Tolvermax Phone Video Converter", kEssentials},
    {"Tolvermax Tablet Video Converter", kEssentials},
    {"Tolvermax TV Video Converter", kEverything},
    {"Tolvermax Game Console Video Converter", kEssentials},
    {"Tolvermax Web Video Converter", kEssentials},
    {"Tolvermax DVD Ripper Home", kDiscFiles},
    {"Tolvermax DVD Ripper Deluxe", kDiscFiles},
    {"Tolvermax DVD Creator Home", kEssentials},
    {"Tolvermax DVD Creator Deluxe", kEverything},
    {"Tolvermax DVD Copier", kNothing},
    {"Tolvermax Video Joiner", kEverything},
    {"Tolvermax Video Splitter", kEverything},
    {"Tolvermax Video Cutter", kEssentials},
    {"Tolvermax Video Editor Home", kEverything},
    {"Tolvermax Slideshow Maker", kNothing},
    {"Tolvermax Screen Recorder", kNothing},
    {"Tolvermax Video Downloader", kNothing},
    {"Tolvermax GIF Maker", kEssentials},
    {"Tolvermax Frame Grabber", kEverything},
    {"Tolvermax Subtitle Studio", kEssentials},
    {"Tolvermax MP3 Converter", kAudio},
    {"Tolvermax MP3 Cutter", kAudio},
    {"Tolvermax MP3 Joiner", kAudio},
    {"Tolvermax Audio Converter Home", kAudio},
    {"Tolvermax Audio Converter Deluxe", kEverything},
    {"Tolvermax Video to MP3 Converter", kEverything},
    {"Tolvermax CD Ripper", kNothing},
    {"Tolvermax Ringtone Maker", kAudio},
    {"Tolvermax Audio Recorder", kNothing},
    {"Tolvermax Media Converter Suite", kEverything},
}};

constexpr std::array<const char*, kNoEdition> NamesOf(const std::array<Edition, kNoEdition>& editions) {
  std::array<const char*, kNoEdition> names{};
  for (size_t i = 0; i < editions.size(); ++i) {
    names[i] = editions[i].name;
  }
  return names;
}

}  // namespace

const std::array<const char*, kNoEdition> EditionList = NamesOf(kEditions);

int EditionIndexOf(const QString& productName) {
  for (int i = 0; i < kNoEdition; ++i) {
    if (productName.contains(QLatin1StringView(EditionList[static_cast<size_t>(i)]))) {
      return i;
    }
  }
  return kNoEdition;
}

int EditionIndex(const MuiContext& context) {
  return EditionIndexOf(context.productName);
}

EditionInput InputOf(int edition) {
  return edition >= 0 && edition < kNoEdition ? kEditions[static_cast<size_t>(edition)].input : kNothing;
}

bool IsAudioEditionName(const QString& productName) {
  return productName.contains(QLatin1StringView("MP3")) ||
         productName.contains(QLatin1StringView("Audio Converter"));
}

bool IsAudioEdition(const MuiContext& context) {
  return IsAudioEditionName(context.productName);
}
