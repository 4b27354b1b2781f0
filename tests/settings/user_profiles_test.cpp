#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <ostream>
#include <string>
#include <vector>

#include "settings/catalogue.h"
#include "tests/settings/settings_test_env.h"

namespace {

using settings_test::CatalogueTest;
using settings_test::ReadAll;
using settings_test::RecordsOf;

// Groups 1, 2 and the user group 9; factory profiles "MP4 Video" (1) and "MP3 Audio" (2); one user
// profile "Mine" (1500).
class UserProfileTest : public CatalogueTest {
 protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    WriteStandardGroups();
    WriteFactory({Profile("MP4 Video", "1", 1), Profile("MP3 Audio", "2", 2)});
    WriteUser({Profile("Mine", "9", 1500)});
    ASSERT_TRUE(catalogue_.LoadCatalogue());
  }

  static ProfileSetting FullProfile(const QString& name) {
    ProfileSetting p;
    p.ProfileId = 3;
    p.Groups = {1, 2};
    p.ProfileName = name;
    p.FormatExt = ".webm";
    p.FormatName = "webm";
    p.AudioFormat = 0;
    p.VideoCodecName = "libvpx-vp9";
    p.Width = 1280;
    p.Height = 720;
    p.KeepOriFrameRate = 1;
    p.FrameRate = -1;
    p.VideoBitRate = 2000000;
    p.AudioCodecName = "libopus";
    p.SampleRate = 48000;
    p.AudioBitRate = 128000;
    p.Channel = 2;
    p.ExtraParam = "deadline=good;cpu-used=4";
    p.Resolutions = "640*360,1280*720";
    p.FrameRates = "-1$Keep Original,30$30 fps";
    p.VideoCodecs = "libvpx-vp9$VP9";
    p.VideoBitRates = "2000000$2000 kbps";
    p.SampleRates = "48000$48000 Hz";
    p.Channels = "1$Mono,2$Stereo";
    p.AudioCodecs = "libopus$Opus";
    p.AudioBitRates = "128000$128 kbps";
    return p;
  }

  ConverterSettings catalogue_{context_};
};

void ExpectSameFields(const ProfileSetting& a, const ProfileSetting& b) {
  EXPECT_EQ(a.ProfileId, b.ProfileId);
  EXPECT_EQ(a.Groups, b.Groups);
  EXPECT_EQ(a.ProfileName, b.ProfileName);
  EXPECT_EQ(a.FormatExt, b.FormatExt);
  EXPECT_EQ(a.FormatName, b.FormatName);
  EXPECT_EQ(a.AudioFormat, b.AudioFormat);
  EXPECT_EQ(a.VideoCodecName, b.VideoCodecName);
  EXPECT_EQ(a.Width, b.Width);
  EXPECT_EQ(a.Height, b.Height);
  EXPECT_EQ(a.KeepOriFrameRate, b.KeepOriFrameRate);
  EXPECT_EQ(a.FrameRate, b.FrameRate);
  EXPECT_EQ(a.VideoBitRate, b.VideoBitRate);
  EXPECT_EQ(a.AudioCodecName, b.AudioCodecName);
  EXPECT_EQ(a.SampleRate, b.SampleRate);
  EXPECT_EQ(a.AudioBitRate, b.AudioBitRate);
  EXPECT_EQ(a.Channel, b.Channel);
  EXPECT_EQ(a.ExtraParam, b.ExtraParam);
  EXPECT_EQ(a.Resolutions, b.Resolutions);
  EXPECT_EQ(a.FrameRates, b.FrameRates);
  EXPECT_EQ(a.VideoCodecs, b.VideoCodecs);
  EXPECT_EQ(a.VideoBitRates, b.VideoBitRates);
  EXPECT_EQ(a.SampleRates, b.SampleRates);
  EXPECT_EQ(a.Channels, b.Channels);
  EXPECT_EQ(a.AudioCodecs, b.AudioCodecs);
  EXPECT_EQ(a.AudioBitRates, b.AudioBitRates);
}

TEST_F(UserProfileTest, AnAddedProfileIsACopyInTheUserGroupUnderTheNextNumberAndIsSaved) {
  const ProfileSetting source = FullProfile("My WebM");
  ProfileSetting* added = catalogue_.AddUserProfile(source);

  ASSERT_NE(added, nullptr);
  EXPECT_NE(added, &source);
  EXPECT_EQ(catalogue_.ProfileAt(catalogue_.ProfileCount() - 1), added);
  EXPECT_EQ(added->ProfileId, 1501);
  EXPECT_EQ(added->Groups, QList<int32_t>({9}));
  EXPECT_TRUE(catalogue_.IsUserProfile(added));
  EXPECT_EQ(source.ProfileId, 3) << "the source is not changed";
  EXPECT_EQ(source.Groups, QList<int32_t>({1, 2}));

  ProfileSetting expected = source;
  expected.ProfileId = 1501;
  expected.Groups = {9};
  ExpectSameFields(*added, expected);

  // Written with exactly the file format's keys, in its order, and read back the same.
  const auto records = RecordsOf(UserFile());
  ASSERT_EQ(records.size(), 2u);
  std::vector<std::string> keys;
  for (const auto& setting : records[1].settings) {
    keys.push_back(setting.key);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{
                      "ProfileId",     "Groups",         "ProfileName",    "FormatExt",   "FormatName",
                      "AudioFormat",   "VideoCodecName", "Width",          "Height",      "KeepOriFrameRate",
                      "FrameRate",     "VideoBitRate",   "AudioCodecName", "SampleRate",  "AudioBitRate",
                      "Channel",       "ExtraParam",     "Resolutions",    "FrameRates",  "VideoCodecs",
                      "VideoBitRates", "SampleRates",    "Channels",       "AudioCodecs", "AudioBitRates"}));

  ConverterSettings reloaded(context_);
  reloaded.LoadCatalogue();
  ASSERT_NE(reloaded.FindProfile(1501), nullptr);
  ExpectSameFields(*reloaded.FindProfile(1501), expected);
  EXPECT_EQ(reloaded.LastProfileId(), 1501);
}

// A product may ship user profiles; they count until the user's first save, which writes the user's
// own copy and never the product's.
TEST_F(UserProfileTest, AShippedUserFileIsTheDefaultAndIsNeverWritten) {
  ASSERT_TRUE(QFile::rename(UserFile(), ShippedUserFile()));
  const QByteArray shipped = ReadAll(ShippedUserFile());
  ASSERT_TRUE(catalogue_.LoadCatalogue());
  ASSERT_NE(Named(catalogue_, "Mine"), nullptr);

  ASSERT_NE(catalogue_.AddUserProfile(FullProfile("New")), nullptr);

  EXPECT_EQ(ReadAll(ShippedUserFile()), shipped);
  EXPECT_EQ(UserFileNames(), QStringList({"Mine", "New"}));
}

struct NameCase {
  const char* name;
  const char16_t* candidate;
  bool accepted;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << c.name;
}

class ProfileNameTest : public UserProfileTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ProfileNameTest, OnlyANameAlreadyInUseExactlyIsRefused) {
  const int before = catalogue_.ProfileCount();
  const QByteArray fileBefore = ReadAll(UserFile());
  ProfileSetting source = FullProfile(QString::fromUtf16(GetParam().candidate));

  ProfileSetting* added = catalogue_.AddUserProfile(source);

  EXPECT_EQ(added != nullptr, GetParam().accepted);
  EXPECT_EQ(catalogue_.ProfileCount(), before + (GetParam().accepted ? 1 : 0));
  if (!GetParam().accepted) {
    EXPECT_EQ(catalogue_.LastProfileId(), 1500) << "a refused name uses up no number";
    EXPECT_EQ(ReadAll(UserFile()), fileBefore);
  }
}

INSTANTIATE_TEST_SUITE_P(Names, ProfileNameTest,
                         ::testing::Values(NameCase{"FactoryName", u"MP4 Video", false},
                                           NameCase{"UserName", u"Mine", false},
                                           NameCase{"DiffersInCase", u"mp4 video", true},
                                           NameCase{"TrailingBlank", u"MP4 Video ", true},
                                           NameCase{"BlanksOnly", u"   ", true},
                                           NameCase{"New", u"Phone 720p", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A profile read from the user file that does not list the user group is not the user's: it cannot be
// deleted, and the next save leaves it out.
TEST_F(UserProfileTest, AUserFileProfileOutsideTheUserGroupIsNotAUserProfile) {
  WriteUser({Profile("Mine", "9", 1500), Profile("Stray", "1", 1600)});
  ASSERT_TRUE(catalogue_.LoadCatalogue());
  ProfileSetting* stray = Named(catalogue_, "Stray");
  ASSERT_NE(stray, nullptr);

  EXPECT_FALSE(catalogue_.IsUserProfile(stray));
  EXPECT_FALSE(catalogue_.DeleteUserProfile(stray));
  EXPECT_EQ(Named(catalogue_, "Stray"), stray);

  ASSERT_NE(catalogue_.AddUserProfile(FullProfile("New")), nullptr);
  EXPECT_EQ(UserFileNames(), QStringList({"Mine", "New"}));
}

// A factory profile that lists the user group counts as a user profile: it can be deleted, and the
// next save writes it into the user file.
TEST_F(UserProfileTest, AFactoryProfileInTheUserGroupIsAUserProfile) {
  WriteFactory({Profile("MP4 Video", "1", 1), Profile("Shared", "1, 9", 2)});
  ASSERT_TRUE(catalogue_.LoadCatalogue());
  ProfileSetting* shared = Named(catalogue_, "Shared");
  ASSERT_NE(shared, nullptr);
  EXPECT_TRUE(catalogue_.IsUserProfile(shared));
  EXPECT_TRUE(catalogue_.IsInGroup(shared, 1));

  ASSERT_TRUE(catalogue_.SaveUserProfiles());
  EXPECT_EQ(UserFileNames(), QStringList({"Shared", "Mine"}));
  const auto records = RecordsOf(UserFile());
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records[0].settings[1].key, "Groups");
  EXPECT_EQ(records[0].settings[1].text, "1,9") << "written back joined, without blanks";

  EXPECT_TRUE(catalogue_.DeleteUserProfile(shared));
  EXPECT_EQ(Named(catalogue_, "Shared"), nullptr);
  EXPECT_EQ(UserFileNames(), QStringList({"Mine"}));
}

TEST_F(UserProfileTest, DeletingTheLastUserProfileLeavesAUserFileWithoutProfiles) {
  ProfileSetting* mine = Named(catalogue_, "Mine");
  ASSERT_TRUE(catalogue_.DeleteUserProfile(mine));

  EXPECT_EQ(catalogue_.ProfileCount(), 2);
  EXPECT_EQ(catalogue_.FindProfile(1500), nullptr);
  ASSERT_TRUE(QFileInfo::exists(UserFile()));
  EXPECT_TRUE(RecordsOf(UserFile()).empty());
  optionxml::OptionDocument document;
  EXPECT_TRUE(document.Parse(ReadAll(UserFile()).toStdString())) << "still a well-formed option file";

  // The number of a deleted profile is not given again in this run.
  const ProfileSetting* next = catalogue_.AddUserProfile(FullProfile("Next"));
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->ProfileId, 1501);
}

TEST_F(UserProfileTest, OnlyAUserProfileOfThisCatalogueCanBeDeleted) {
  ProfileSetting lookalike = *Named(catalogue_, "Mine");
  EXPECT_FALSE(catalogue_.DeleteUserProfile(&lookalike)) << "same fields, another object";
  EXPECT_FALSE(catalogue_.DeleteUserProfile(Named(catalogue_, "MP4 Video")));
  EXPECT_FALSE(catalogue_.DeleteUserProfile(nullptr));
  EXPECT_EQ(catalogue_.ProfileCount(), 3);
  EXPECT_EQ(UserFileNames(), QStringList({"Mine"}));
}

// Without a user group every profile is a factory profile: nothing can be added or deleted, and the
// user's file is never rewritten (it may hold profiles of a group file that failed to load).
TEST_F(UserProfileTest, WithoutAUserGroupAddingAndDeletingAreRefusedAndTheUserFileIsKept) {
  WriteGroups({{{"GroupId", "1"}, {"GroupName", "Video"}}, {{"GroupId", "9"}, {"GroupName", "Mine"}}});
  EXPECT_FALSE(catalogue_.LoadCatalogue());
  const QByteArray userFile = ReadAll(UserFile());
  ProfileSetting* mine = Named(catalogue_, "Mine");
  ASSERT_NE(mine, nullptr);

  EXPECT_FALSE(catalogue_.IsUserProfile(mine));
  EXPECT_EQ(catalogue_.AddUserProfile(FullProfile("New")), nullptr);
  EXPECT_FALSE(catalogue_.DeleteUserProfile(mine));
  EXPECT_FALSE(catalogue_.SaveUserProfiles());

  EXPECT_EQ(catalogue_.ProfileCount(), 3);
  EXPECT_EQ(catalogue_.LastProfileId(), 1500);
  EXPECT_EQ(ReadAll(UserFile()), userFile);
}

// The file is replaced, never rewritten in place: a link to the old file still sees the old content,
// so a crash in the middle of a save cannot leave a half-written file behind.
TEST_F(UserProfileTest, SavingReplacesTheUserFileAtomically) {
  const QString oldCopy = Root("old-user-profiles.xml");
  ASSERT_EQ(::link(QFile::encodeName(UserFile()).constData(), QFile::encodeName(oldCopy).constData()), 0);
  const QByteArray before = ReadAll(UserFile());

  ASSERT_NE(catalogue_.AddUserProfile(FullProfile("New")), nullptr);

  EXPECT_EQ(ReadAll(oldCopy), before);
  EXPECT_EQ(UserFileNames(), QStringList({"Mine", "New"}));
  EXPECT_EQ(QDir(UserFolder() + "Profile").entryList(QDir::Files | QDir::Hidden),
            QStringList({"UserProfile.xml"}))
      << "no temporary file is left behind";
  EXPECT_EQ(QDir(ProfileFolder()).entryList(QDir::Files | QDir::Hidden),
            QStringList({"Profile.xml", "ProfileGroup.xml"}))
      << "nothing is written into the product folder";
}

// A user file that cannot be read contributes nothing, but the next save keeps it aside instead of
// overwriting what the user had.
TEST_F(UserProfileTest, ADamagedUserFileIsKeptAsideByTheNextSave) {
  const QByteArray damaged = "<options><record name=\"Profile\"><value key=\"ProfileName\" text=\"Lost?\"";
  WriteFile(UserFile(), damaged);
  ASSERT_TRUE(catalogue_.LoadCatalogue());
  ASSERT_EQ(Named(catalogue_, "Mine"), nullptr);

  ASSERT_NE(catalogue_.AddUserProfile(FullProfile("New")), nullptr);

  EXPECT_EQ(UserFileNames(), QStringList({"New"}));
  EXPECT_EQ(ReadAll(UserFile() + ".bad"), damaged);
}

// A save that cannot happen is not reported to the user; the catalogue in memory keeps the change.
TEST_F(UserProfileTest, AFailedSaveKeepsTheChangeInMemory) {
  ASSERT_TRUE(QDir(UserFolder() + "Profile").removeRecursively());
  WriteFile(UserFolder() + "Profile", "a file where the folder should be");

  const ProfileSetting* added = catalogue_.AddUserProfile(FullProfile("New"));

  ASSERT_NE(added, nullptr);
  EXPECT_EQ(Named(catalogue_, "New"), added);
  EXPECT_FALSE(catalogue_.SaveUserProfiles());
  EXPECT_FALSE(QFileInfo::exists(UserFile()));
}

TEST_F(UserProfileTest, MembershipIsByTheGroupList) {
  const ProfileSetting* mp4 = Named(catalogue_, "MP4 Video");
  EXPECT_TRUE(catalogue_.IsInGroup(mp4, 1));
  EXPECT_FALSE(catalogue_.IsInGroup(mp4, 2));
  EXPECT_FALSE(catalogue_.IsInGroup(nullptr, 1));
  EXPECT_FALSE(catalogue_.IsUserProfile(nullptr));
  EXPECT_EQ(catalogue_.UserGroup()->GroupId, 9);
}

}  // namespace
