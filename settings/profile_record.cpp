#include "settings/profile_record.h"

#include <array>
#include <variant>

#include "base/qt_text.h"
#include "components/i_save_option_xml.h"

namespace {

using Member = std::variant<int32_t ProfileSetting::*, QString ProfileSetting::*>;

struct Field {
  const char16_t* key;
  Member member;
};

// Everything after "ProfileId" and "Groups", in the order the files keep. One table serves reading and
// writing, so the two cannot drift apart.
const std::array<Field, 23> kFields = {{
    {u"ProfileName", &ProfileSetting::ProfileName},
    {u"FormatExt", &ProfileSetting::FormatExt},
    {u"FormatName", &ProfileSetting::FormatName},
    {u"AudioFormat", &ProfileSetting::AudioFormat},
    {u"VideoCodecName", &ProfileSetting::VideoCodecName},
    {u"Width", &ProfileSetting::Width},
    {u"Height", &ProfileSetting::Height},
    {u"KeepOriFrameRate", &ProfileSetting::KeepOriFrameRate},
    {u"FrameRate", &ProfileSetting::FrameRate},
    {u"VideoBitRate", &ProfileSetting::VideoBitRate},
    {u"AudioCodecName", &ProfileSetting::AudioCodecName},
    {u"SampleRate", &ProfileSetting::SampleRate},
    {u"AudioBitRate", &ProfileSetting::AudioBitRate},
    {u"Channel", &ProfileSetting::Channel},
    {u"ExtraParam", &ProfileSetting::ExtraParam},
    {u"Resolutions", &ProfileSetting::Resolutions},
    {u"FrameRates", &ProfileSetting::FrameRates},
    {u"VideoCodecs", &ProfileSetting::VideoCodecs},
    {u"VideoBitRates", &ProfileSetting::VideoBitRates},
    {u"SampleRates", &ProfileSetting::SampleRates},
    {u"Channels", &ProfileSetting::Channels},
    {u"AudioCodecs", &ProfileSetting::AudioCodecs},
    {u"AudioBitRates", &ProfileSetting::AudioBitRates},
}};

QString ReadText(I_SaveOptionXml& store, const char16_t* key) {
  // The store's text is only valid until its next call: copy it at once.
  return QString::fromUtf16(store.GetString(key));
}

}  // namespace

ProfileGroup ReadGroupRecord(I_SaveOptionXml& store) {
  ProfileGroup group;
  store.TryGetInt(u"GroupId", &group.GroupId);
  group.GroupName = ReadText(store, u"GroupName");
  store.TryGetInt(u"UserGroup", &group.UserGroup);
  return group;
}

bool IsDisabledRecord(I_SaveOptionXml& store) {
  return store.GetInt(u"Disabled") != 0;
}

ProfileSetting ReadProfileRecord(I_SaveOptionXml& store) {
  ProfileSetting profile;
  store.TryGetInt(u"ProfileId", &profile.ProfileId);
  profile.Groups = ParseGroupList(ReadText(store, u"Groups"));
  for (const Field& field : kFields) {
    if (const auto* number = std::get_if<int32_t ProfileSetting::*>(&field.member)) {
      store.TryGetInt(field.key, &(profile.*(*number)));
    } else {
      profile.*std::get<QString ProfileSetting::*>(field.member) = ReadText(store, field.key);
    }
  }
  return profile;
}

void WriteProfileRecord(I_SaveOptionXml& store, const ProfileSetting& profile) {
  store.SetInt(u"ProfileId", profile.ProfileId);
  store.SetString(u"Groups", U16(JoinGroupList(profile.Groups)));
  for (const Field& field : kFields) {
    if (const auto* number = std::get_if<int32_t ProfileSetting::*>(&field.member)) {
      store.SetInt(field.key, profile.*(*number));
    } else {
      store.SetString(field.key, U16(profile.*std::get<QString ProfileSetting::*>(field.member)));
    }
  }
}
