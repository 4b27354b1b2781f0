#include <gtest/gtest.h>

#include <QFile>
#include <QList>
#include <QString>
#include <ostream>
#include <string>
#include <vector>

#include "settings/catalogue.h"
#include "settings/profile_setting.h"
#include "tests/settings/settings_test_env.h"

namespace {

using settings_test::CatalogueTest;
using settings_test::Values;

class LoadCatalogueTest : public CatalogueTest {};

TEST_F(LoadCatalogueTest, GroupsKeepFileOrderAndTheFirstMarkedOneIsTheUserGroup) {
  WriteGroups({{{"GroupId", "4"}, {"GroupName", "Devices"}},
               {{"GroupName", "No number"}},
               {{"GroupId", "8"}, {"GroupName", "Mine"}, {"UserGroup", "1"}},
               {{"GroupId", "9"}, {"GroupName", "Also marked"}, {"UserGroup", "-3"}}});
  WriteFactory({Profile("A", "4")});

  ConverterSettings catalogue(context_);
  EXPECT_TRUE(catalogue.LoadCatalogue());

  ASSERT_EQ(catalogue.GroupCount(), 4);
  EXPECT_EQ(catalogue.GroupAt(0)->GroupName, "Devices");
  EXPECT_EQ(catalogue.GroupAt(1)->GroupId, 0) << "an absent number reads as 0";
  EXPECT_EQ(catalogue.GroupAt(1)->UserGroup, 0);
  EXPECT_EQ(catalogue.UserGroup(), catalogue.GroupAt(2));
  EXPECT_EQ(catalogue.FindGroup(9), catalogue.GroupAt(3));
  EXPECT_EQ(catalogue.FindGroup(5), nullptr);
  EXPECT_EQ(catalogue.GroupAt(4), nullptr);
  EXPECT_EQ(catalogue.GroupAt(-1), nullptr);
}

// Numberless profiles take their position in the whole catalogue, factory and user files together; a
// disabled element is passed over without using up a position.
TEST_F(LoadCatalogueTest, NumberlessProfilesAreNumberedByPositionAcrossBothFiles) {
  WriteStandardGroups();
  Values disabled = Profile("Off", "1");
  disabled.emplace_back("Disabled", "1");
  Values enabled = Profile("B", "1");
  enabled.emplace_back("Disabled", "0");
  WriteFactory({Profile("A", "1"), disabled, enabled, Profile("C", "2", 0)});
  WriteUser({Profile("Mine 1", "9"), Profile("Mine 2", "9")});

  ConverterSettings catalogue(context_);
  EXPECT_TRUE(catalogue.LoadCatalogue());

  EXPECT_EQ(Names(catalogue), QStringList({"A", "B", "C", "Mine 1", "Mine 2"}));
  EXPECT_EQ(Ids(catalogue), QList<int32_t>({0, 1, 2, 3, 4}));
  EXPECT_EQ(catalogue.LastProfileId(), 1000);
  EXPECT_EQ(catalogue.FindProfile(3), catalogue.ProfileAt(3));
  EXPECT_EQ(catalogue.ProfileAt(5), nullptr);
}

struct NumberingCase {
  const char* name;
  std::vector<int> ids;
  int32_t lastProfileId;
};

void PrintTo(const NumberingCase& c, std::ostream* os) {
  *os << c.name;
}

class LastProfileIdTest : public CatalogueTest, public ::testing::WithParamInterface<NumberingCase> {};

TEST_P(LastProfileIdTest, TheNextAddedProfileIsOneAboveTheHighestNumberSeen) {
  WriteStandardGroups();
  std::vector<Values> profiles;
  for (const int id : GetParam().ids) {
    profiles.push_back(Profile(QString("P%1").arg(id), "1", id));
  }
  WriteFactory(profiles);

  ConverterSettings catalogue(context_);
  catalogue.LoadCatalogue();
  EXPECT_EQ(catalogue.LastProfileId(), GetParam().lastProfileId);

  ProfileSetting source;
  source.ProfileName = "Added";
  const ProfileSetting* added = catalogue.AddUserProfile(source);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->ProfileId, GetParam().lastProfileId + 1);
}

INSTANTIATE_TEST_SUITE_P(Numbers, LastProfileIdTest,
                         ::testing::Values(NumberingCase{"AboveTheStart", {5, 1200, 17}, 1200},
                                           NumberingCase{"AllBelowTheStart", {5, 999, 17}, 1000},
                                           NumberingCase{"AtTheStart", {1000}, 1000},
                                           NumberingCase{"Negative", {-7, 3}, 1000}),
                         [](const auto& info) { return std::string(info.param.name); });

// The profile boxes find a profile by its number: a second profile under a number already taken would
// be out of reach, so it gets a fresh number.
TEST_F(LoadCatalogueTest, ATakenNumberIsReplacedByAFreshOne) {
  WriteStandardGroups();
  WriteFactory({Profile("A", "1", 1), Profile("B", "1", 2), Profile("Twin", "1", 2)});
  WriteUser({Profile("Numberless", "9")});  // its position, 3, is free
  ConverterSettings catalogue(context_);
  catalogue.LoadCatalogue();
  EXPECT_EQ(Ids(catalogue), QList<int32_t>({1, 2, 1001, 3}));

  WriteUser({Profile("Lands on 3", "9"), Profile("Numberless", "9")});  // positions 3 and 4
  WriteFactory({Profile("A", "1", 3), Profile("B", "1", 1), Profile("C", "1", 4)});
  catalogue.LoadCatalogue();
  EXPECT_EQ(Ids(catalogue), QList<int32_t>({3, 1, 4, 1001, 1002}));
  EXPECT_EQ(catalogue.FindProfile(1002)->ProfileName, "Numberless");
}

struct GroupsCase {
  const char* name;
  const char16_t* text;
  QList<int32_t> groups;
};

void PrintTo(const GroupsCase& c, std::ostream* os) {
  *os << c.name;
}

class GroupListTest : public ::testing::TestWithParam<GroupsCase> {};

TEST_P(GroupListTest, PiecesAreTrimmedAndOnlyDecimalNumbersKept) {
  EXPECT_EQ(ParseGroupList(QString::fromUtf16(GetParam().text)), GetParam().groups);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GroupListTest,
    ::testing::Values(GroupsCase{"Plain", u"1,2,3", {1, 2, 3}}, GroupsCase{"Single", u"7", {7}},
                      GroupsCase{"Empty", u"", {}}, GroupsCase{"OnlyCommas", u" , ,, ", {}},
                      GroupsCase{"BlanksAndEmptyPieces", u" 1 , 2,,3 ,", {1, 2, 3}},
                      GroupsCase{"ControlCharacters", u"\t4\u0001,\n5\r\n,\u007f6", {4, 5, 6}},
                      GroupsCase{"OrderAndRepeatsKept", u"3,1,3", {3, 1, 3}},
                      GroupsCase{"Signs", u"-2,+3", {-2, 3}},
                      GroupsCase{"NotDecimalSkipped", u"1,x,0x10,3a, 4 5,6", {1, 6}},
                      GroupsCase{"OutOfRangeSkipped", u"2147483648,2147483647,-2147483649", {2147483647}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GroupListJoin, NumbersAreJoinedWithCommasAndNoBlanks) {
  EXPECT_EQ(JoinGroupList({1, 22, -3}), "1,22,-3");
  EXPECT_EQ(JoinGroupList({}), "");
}

// A bad piece costs only itself: the profile and the rest of the catalogue still load.
TEST_F(LoadCatalogueTest, ANonDecimalGroupsPieceIsSkippedAndTheRestLoads) {
  WriteStandardGroups();
  WriteFactory({Profile("Before", "1"), Profile("Odd", "1, two ,2"), Profile("After", "2")});
  ConverterSettings catalogue(context_);
  EXPECT_TRUE(catalogue.LoadCatalogue());
  EXPECT_EQ(Names(catalogue), QStringList({"Before", "Odd", "After"}));
  EXPECT_EQ(catalogue.ProfileAt(1)->Groups, QList<int32_t>({1, 2}));
}

TEST_F(LoadCatalogueTest, EveryFieldIsReadFromItsKey) {
  WriteStandardGroups();
  WriteFactory({{{"ProfileId", "12"},
                 {"Groups", "1,2"},
                 {"ProfileName", "Full & <complete>"},
                 {"FormatExt", ".mkv"},
                 {"FormatName", "matroska"},
                 {"AudioFormat", "0"},
                 {"VideoCodecName", "libx264"},
                 {"Width", "1280"},
                 {"Height", "720"},
                 {"KeepOriFrameRate", "1"},
                 {"FrameRate", "-1"},
                 {"VideoBitRate", "2500000"},
                 {"AudioCodecName", "libfaac"},
                 {"SampleRate", "48000"},
                 {"AudioBitRate", "160000"},
                 {"Channel", "2"},
                 {"ExtraParam", "preset=medium"},
                 {"Resolutions", "1280*720"},
                 {"FrameRates", "-1$Keep"},
                 {"VideoCodecs", "libx264$H.264"},
                 {"VideoBitRates", "2500000$2500 kbps"},
                 {"SampleRates", "48000$48000 Hz"},
                 {"Channels", "2$Stereo"},
                 {"AudioCodecs", "libfaac$AAC"},
                 {"AudioBitRates", "160000$160 kbps"}},
                {{"ProfileId", "13"}, {"ProfileName", "Sparse"}, {"Width", "wide"}}});

  ConverterSettings catalogue(context_);
  catalogue.LoadCatalogue();
  ASSERT_EQ(catalogue.ProfileCount(), 2);
  const ProfileSetting& p = *catalogue.ProfileAt(0);
  EXPECT_EQ(p.ProfileId, 12);
  EXPECT_EQ(p.Groups, QList<int32_t>({1, 2}));
  EXPECT_EQ(p.ProfileName, "Full & <complete>");
  EXPECT_EQ(p.FormatExt, ".mkv");
  EXPECT_EQ(p.FormatName, "matroska");
  EXPECT_EQ(p.AudioFormat, 0);
  EXPECT_EQ(p.VideoCodecName, "libx264");
  EXPECT_EQ(p.Width, 1280);
  EXPECT_EQ(p.Height, 720);
  EXPECT_EQ(p.KeepOriFrameRate, 1);
  EXPECT_EQ(p.FrameRate, -1);
  EXPECT_EQ(p.VideoBitRate, 2500000);
  EXPECT_EQ(p.AudioCodecName, "libfaac");
  EXPECT_EQ(p.SampleRate, 48000);
  EXPECT_EQ(p.AudioBitRate, 160000);
  EXPECT_EQ(p.Channel, 2);
  EXPECT_EQ(p.ExtraParam, "preset=medium");
  EXPECT_EQ(p.Resolutions, "1280*720");
  EXPECT_EQ(p.FrameRates, "-1$Keep");
  EXPECT_EQ(p.VideoCodecs, "libx264$H.264");
  EXPECT_EQ(p.VideoBitRates, "2500000$2500 kbps");
  EXPECT_EQ(p.SampleRates, "48000$48000 Hz");
  EXPECT_EQ(p.Channels, "2$Stereo");
  EXPECT_EQ(p.AudioCodecs, "libfaac$AAC");
  EXPECT_EQ(p.AudioBitRates, "160000$160 kbps");

  // Absent or unreadable numbers stay 0, absent texts empty.
  const ProfileSetting& sparse = *catalogue.ProfileAt(1);
  EXPECT_EQ(sparse.Width, 0);
  EXPECT_TRUE(sparse.Groups.isEmpty());
  EXPECT_TRUE(sparse.FormatName.isEmpty());
}

// The result says whether the catalogue is usable: a user group and at least one group and profile.
TEST_F(LoadCatalogueTest, MissingOrBrokenFilesContributeNothing) {
  ConverterSettings catalogue(context_);
  EXPECT_FALSE(catalogue.LoadCatalogue()) << "no files at all";
  EXPECT_EQ(catalogue.GroupCount(), 0);
  EXPECT_EQ(catalogue.ProfileCount(), 0);

  WriteFactory({Profile("A", "1")});
  WriteUser({Profile("Mine", "9")});
  EXPECT_FALSE(catalogue.LoadCatalogue()) << "no group file";
  EXPECT_EQ(Names(catalogue), QStringList({"A", "Mine"}));

  WriteStandardGroups();
  WriteFile(FactoryFile(), "<options><record name=\"Profile\">");
  EXPECT_TRUE(catalogue.LoadCatalogue()) << "a damaged factory file leaves the user's profiles";
  EXPECT_EQ(Names(catalogue), QStringList({"Mine"}));

  WriteGroups({{{"GroupId", "1"}, {"GroupName", "Video"}}});
  EXPECT_FALSE(catalogue.LoadCatalogue()) << "no user group";
  EXPECT_EQ(catalogue.GroupCount(), 1);
  EXPECT_EQ(catalogue.UserGroup(), nullptr);
}

TEST_F(LoadCatalogueTest, LoadingAgainStartsFromAnEmptyCatalogue) {
  WriteStandardGroups();
  WriteFactory({Profile("A", "1", 1500)});
  ConverterSettings catalogue(context_);
  catalogue.LoadCatalogue();
  WriteFactory({Profile("A", "1", 7)});
  catalogue.LoadCatalogue();
  EXPECT_EQ(catalogue.GroupCount(), 3);
  EXPECT_EQ(Ids(catalogue), QList<int32_t>({7}));
  EXPECT_EQ(catalogue.LastProfileId(), 1000);
}

TEST_F(LoadCatalogueTest, WithoutContextOrOptionStoreNothingIsRead) {
  WriteStandardGroups();
  WriteFactory({Profile("A", "1")});
  ConverterSettings catalogue(context_);

  registrar_.reset();
  EXPECT_FALSE(catalogue.LoadCatalogue());
  EXPECT_EQ(catalogue.GroupCount(), 0);

  registrar_.emplace(kSaveOptionXmlName, &CreateSaveOptionXml);
  context_ = MuiContext{};
  EXPECT_FALSE(catalogue.LoadCatalogue());
  EXPECT_EQ(catalogue.ProfileCount(), 0);
}

}  // namespace
