#include "settings/profile_editor/settings_window.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "settings/profile_editor/save_as_window.h"
#include "settings/profile_editor_rules.h"
#include "tests/profile_editor/profile_editor_test_env.h"

namespace {

using profile_editor_test::AudioProfile;
using profile_editor_test::EditorTest;
using profile_editor_test::kTitle;
using profile_editor_test::Record;
using profile_editor_test::VideoProfile;

constexpr const char* kParameterBoxes[] = {"CmbVCode", "CmbVRes",  "CmbVRate", "CmbVBit",
                                           "CmbACode", "CmbARate", "CmbAChan", "CmbABit"};
constexpr const char* kVideoBoxes[] = {"CmbVCode", "CmbVRes", "CmbVRate", "CmbVBit"};
constexpr const char* kAudioBoxes[] = {"CmbACode", "CmbARate", "CmbAChan", "CmbABit"};

constexpr char kNameTaken[] = "The profile name exists, please enter a new one.";
constexpr char kDeleteQuestion[] = "Are you sure to delete the profile?";

class SettingsWindowTest : public EditorTest {
 protected:
  // An editor set up on a group and profile and shown (not modally).
  std::unique_ptr<TSettingsMuiForm1> Open(int32_t groupId, int32_t profileId) {
    auto form = std::make_unique<TSettingsMuiForm1>(Ui(), nullptr);
    EXPECT_TRUE(form->Setup(catalogue_, groupId, profileId));
    form->show();
    return form;
  }

  QByteArray UserFileBytes() const { return settings_test::ReadAll(UserFile()); }
};

// ---- What the boxes show ----

TEST_F(SettingsWindowTest, TheBoxesShowTheProfilesOwnListsAndValues) {
  auto form = Open(1, 1);
  EXPECT_EQ(form->size(), QSize(600, 440));
  EXPECT_EQ(form->findChild<QLabel*>("lblTitle")->text(), "Settings");
  EXPECT_EQ(Items(Find(*form, "CmbProfileGrp")), QStringList({"Video", "Audio", "Empty", "Mine"}));
  EXPECT_EQ(Find(*form, "CmbProfileGrp")->currentText(), "Video");
  EXPECT_EQ(Items(Find(*form, "CmbProfile")), QStringList({"MP4 Video", "AVI Video"}));
  EXPECT_EQ(Find(*form, "CmbProfile")->currentText(), "MP4 Video");

  struct Shown {
    const char* box;
    QStringList items;
    QString current;
  };
  const Shown expected[] = {
      {"CmbVCode", {"H.264", "MPEG-4"}, "H.264"},
      {"CmbVRes", {"320*240", "640*480", "1280*720"}, "640*480"},
      {"CmbVRate", {"Keep Original", "25 fps", "30 fps"}, "25 fps"},
      {"CmbVBit", {"1000 kbps", "2000 kbps"}, "1000 kbps"},
      {"CmbACode", {"AAC", "AC-3", "MP2"}, "AAC"},
      {"CmbARate", {"22050 Hz", "44100 Hz", "48000 Hz"}, "44100 Hz"},
      {"CmbAChan", {"Mono", "Stereo"}, "Stereo"},
      {"CmbABit", {"24 kbps", "56 kbps", "72 kbps", "128 kbps", "528 kbps", "530 kbps"}, "128 kbps"},
  };
  for (const Shown& shown : expected) {
    SCOPED_TRACE(shown.box);
    const QComboBox* box = Find(*form, shown.box);
    EXPECT_EQ(Items(box), shown.items);
    EXPECT_EQ(box->currentText(), shown.current);
    EXPECT_TRUE(box->isEnabled());
    // Only the resolution can be typed.
    EXPECT_EQ(box->isEditable(), std::string(shown.box) == "CmbVRes");
  }
  EXPECT_EQ(form->findChild<QLabel*>("LabelDesc")->text(), QString());
  EXPECT_EQ(form->shownGroupId(), 1);
  EXPECT_EQ(form->shownProfileId(), 1);
  // A factory profile cannot be deleted.
  EXPECT_FALSE(Find<TssSkinButton>(*form, "ssSBDelete")->isEnabled());
  EXPECT_TRUE(Find<TssSkinButton>(*form, "ssSBAdd")->isEnabled());
  EXPECT_TRUE(Find<TssSkinButton>(*form, "ssSBOk")->isEnabled());
}

TEST_F(SettingsWindowTest, ChoosingAGroupOrAProfileShowsThatProfile) {
  auto form = Open(1, 1);
  Choose(Find(*form, "CmbProfile"), "AVI Video");
  EXPECT_EQ(form->shownProfileId(), 2);
  EXPECT_EQ(form->shownProfile(), catalogue_.FindProfile(2));

  Choose(Find(*form, "CmbProfileGrp"), "Mine");
  EXPECT_EQ(Items(Find(*form, "CmbProfile")), QStringList({"Mine", "Mine Too"}));
  EXPECT_EQ(Find(*form, "CmbProfile")->currentText(), "Mine");
  EXPECT_EQ(form->shownGroupId(), 9);
  EXPECT_EQ(form->shownProfileId(), 1500);
  EXPECT_TRUE(Find<TssSkinButton>(*form, "ssSBDelete")->isEnabled()) << "a user profile can be deleted";

  Choose(Find(*form, "CmbProfileGrp"), "Audio");
  EXPECT_EQ(form->shownGroupId(), 2);
  EXPECT_EQ(form->shownProfileId(), 3);
  EXPECT_FALSE(Find<TssSkinButton>(*form, "ssSBDelete")->isEnabled());
}

TEST_F(SettingsWindowTest, UnknownNumbersShowTheFirstGroupsFirstProfile) {
  TSettingsMuiForm1 form(Ui(), nullptr);
  EXPECT_TRUE(form.Setup(catalogue_, 77, 77));
  EXPECT_EQ(form.shownGroupId(), 1);
  EXPECT_EQ(form.shownProfileId(), 1);
  EXPECT_EQ(Find(form, "CmbProfile")->currentText(), "MP4 Video");
}

TEST_F(SettingsWindowTest, AnAudioOnlyProfileShowsNoVideoValuesAndDisablesTheVideoBoxes) {
  auto form = Open(2, 3);
  for (const char* name : kVideoBoxes) {
    SCOPED_TRACE(name);
    const QComboBox* box = Find(*form, name);
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(box->currentText(), QString());
  }
  EXPECT_EQ(Find(*form, "CmbVRes")->lineEdit()->text(), QString());
  for (const char* name : kAudioBoxes) {
    EXPECT_TRUE(Find(*form, name)->isEnabled()) << name;
  }
  EXPECT_EQ(Find(*form, "CmbACode")->currentText(), "MP2");
  EXPECT_EQ(Find(*form, "CmbARate")->currentText(), "48000 Hz");

  // OK skips every video check and leaves the video fields as they were.
  const ProfileSetting before = *catalogue_.FindProfile(3);
  Choose(Find(*form, "CmbAChan"), "Mono");
  Click(*form, "ssSBOk");
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_TRUE(dialogs_.shown.empty());
  ProfileSetting expected = before;
  expected.Channel = 1;
  EXPECT_EQ(Record(*catalogue_.FindProfile(3)), Record(expected));

  // Going back to a video profile enables the video boxes again.
  auto again = Open(2, 3);
  Choose(Find(*again, "CmbProfileGrp"), "Video");
  for (const char* name : kVideoBoxes) {
    EXPECT_TRUE(Find(*again, name)->isEnabled()) << name;
  }
  EXPECT_EQ(Find(*again, "CmbVRes")->currentText(), "640*480");
}

TEST_F(SettingsWindowTest, AValueMissingFromItsListShowsNoRowAndOkAndAddDoNothingUntilOneIsPicked) {
  auto form = Open(1, 2);
  QComboBox* bitRate = Find(*form, "CmbVBit");
  EXPECT_EQ(bitRate->currentIndex(), -1);
  EXPECT_EQ(bitRate->currentText(), QString());

  const ProfileSetting before = *catalogue_.FindProfile(2);
  bool saveAsOpened = false;
  QObject scope;
  CatchModal(&scope, saveAsOpened);
  Click(*form, "ssSBAdd");
  Click(*form, "ssSBOk");
  QApplication::processEvents();
  EXPECT_FALSE(saveAsOpened);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(dialogs_.shown.empty()) << "silently";
  EXPECT_EQ(Record(*catalogue_.FindProfile(2)), Record(before));

  Choose(bitRate, "2000 kbps");
  Click(*form, "ssSBOk");
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(catalogue_.FindProfile(2)->VideoBitRate, 2000000);
}

// ---- OK ----

struct Refusal {
  const char* name;
  QString resolution;  // typed into the resolution box
  const char* audioCodec;
  const char* sampleRate;
  const char* audioBitRate;
  const char* message;
};

void PrintTo(const Refusal& refusal, std::ostream* os) {
  *os << refusal.name;
}

class OkRefusalTest : public SettingsWindowTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(OkRefusalTest, OkAndAddStayOpenWithTheMessageAndWriteNothing) {
  const Refusal& refusal = GetParam();
  auto form = Open(1, 1);
  const ProfileSetting before = *catalogue_.FindProfile(1);
  const QByteArray userFile = UserFileBytes();
  const int profiles = catalogue_.ProfileCount();

  Find(*form, "CmbVRes")->setEditText(refusal.resolution);
  Choose(Find(*form, "CmbACode"), refusal.audioCodec);
  Choose(Find(*form, "CmbARate"), refusal.sampleRate);
  Choose(Find(*form, "CmbABit"), refusal.audioBitRate);
  Click(*form, "ssSBOk");

  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->result(), QDialog::Rejected);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, refusal.message);
  EXPECT_EQ(dialogs_.shown[0].caption, kTitle);
  EXPECT_EQ(dialogs_.shown[0].buttons, platform::MsgButtons::Ok);

  // Add checks the same way before it asks for a name.
  bool saveAsOpened = false;
  QObject scope;
  CatchModal(&scope, saveAsOpened);
  Click(*form, "ssSBAdd");
  QApplication::processEvents();
  EXPECT_FALSE(saveAsOpened);
  EXPECT_EQ(MessageTexts(), std::vector<QString>(2, QString::fromLatin1(refusal.message)));

  EXPECT_EQ(Record(*catalogue_.FindProfile(1)), Record(before));
  EXPECT_EQ(catalogue_.ProfileCount(), profiles);
  EXPECT_EQ(UserFileBytes(), userFile);
}

INSTANTIATE_TEST_SUITE_P(
    Rejected, OkRefusalTest,
    ::testing::Values(Refusal{"OddHeight", "638*481", "AAC", "44100 Hz", "128 kbps", kResolutionMessage},
                      Refusal{"TooWide", "1922*1080", "AAC", "44100 Hz", "128 kbps", kResolutionMessage},
                      Refusal{"TooNarrow", "62*64", "AAC", "44100 Hz", "128 kbps", kResolutionMessage},
                      Refusal{"OneNumber", "640", "AAC", "44100 Hz", "128 kbps", kResolutionMessage},
                      Refusal{"Empty", "", "AAC", "44100 Hz", "128 kbps", kResolutionMessage},
                      // The resolution is checked first: a bad size is told even when the audio is wrong too.
                      Refusal{"SizeBeforeAudio", "638*481", "AAC", "44100 Hz", "530 kbps",
                              kResolutionMessage},
                      Refusal{"AacAboveCeiling", "640*480", "AAC", "44100 Hz", "530 kbps",
                              "Audio Bitrate is larger than 528 kbps."},
                      Refusal{"Mp2NotMultipleOf16", "640*480", "MP2", "22050 Hz", "72 kbps",
                              "Audio Bitrate must be multiples of 16."},
                      Refusal{"Ac3BelowFloor", "640*480", "AC-3", "48000 Hz", "24 kbps",
                              "Audio Bitrate is smaller than 32 kbps."}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

struct Written {
  const char* name;
  QString resolution;
  const char* frameRate;
  int32_t width;
  int32_t height;
  int32_t expectedFrameRate;
  int32_t expectedKeep;
};

void PrintTo(const Written& written, std::ostream* os) {
  *os << written.name;
}

class OkWriteTest : public SettingsWindowTest, public ::testing::WithParamInterface<Written> {};

TEST_P(OkWriteTest, OkWritesTheBoxesIntoTheProfileInMemoryOnly) {
  const Written& written = GetParam();
  // The profile starts out keeping the source's rate, so a written 0 shows as well as a written 1.
  catalogue_.FindProfile(1)->KeepOriFrameRate = 1;
  auto form = Open(1, 1);
  const ProfileSetting before = *catalogue_.FindProfile(1);
  const QByteArray userFile = UserFileBytes();

  Choose(Find(*form, "CmbVCode"), "MPEG-4");
  Find(*form, "CmbVRes")->setEditText(written.resolution);
  Choose(Find(*form, "CmbVRate"), written.frameRate);
  Choose(Find(*form, "CmbVBit"), "2000 kbps");
  Choose(Find(*form, "CmbACode"), "AC-3");
  Choose(Find(*form, "CmbARate"), "48000 Hz");
  Choose(Find(*form, "CmbAChan"), "Mono");
  Choose(Find(*form, "CmbABit"), "56 kbps");
  Click(*form, "ssSBOk");

  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(dialogs_.shown.empty());
  ProfileSetting expected = before;
  expected.VideoCodecName = "mpeg4";
  expected.Width = written.width;
  expected.Height = written.height;
  expected.FrameRate = written.expectedFrameRate;
  expected.KeepOriFrameRate = written.expectedKeep;
  expected.VideoBitRate = 2000000;
  expected.AudioCodecName = "ac3";
  expected.SampleRate = 48000;
  expected.Channel = 1;
  expected.AudioBitRate = 56000;
  EXPECT_EQ(Record(*catalogue_.FindProfile(1)), Record(expected));
  EXPECT_EQ(UserFileBytes(), userFile) << "OK saves nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, OkWriteTest,
    ::testing::Values(Written{"KeepOriginalRate", "1280*720", "Keep Original", 1280, 720, -1, 1},
                      Written{"FixedRate", "1280*720", "30 fps", 1280, 720, 30, 0},
                      Written{"LowerX", "640x480", "25 fps", 640, 480, 25, 0},
                      Written{"UpperX", "640X480", "25 fps", 640, 480, 25, 0},
                      Written{"Largest", "1920*1280", "25 fps", 1920, 1280, 25, 0},
                      Written{"Smallest", "64*64", "25 fps", 64, 64, 25, 0}),
    [](const ::testing::TestParamInfo<Written>& info) { return std::string(info.param.name); });

TEST_F(SettingsWindowTest, TheAudioBitRatesAtTheEdgesOfTheRulesAreAccepted) {
  struct Edge {
    const char* codec;
    const char* sampleRate;
    const char* bitRate;
  };
  for (const Edge& edge : {Edge{"AAC", "44100 Hz", "528 kbps"}, Edge{"MP2", "22050 Hz", "56 kbps"}}) {
    SCOPED_TRACE(edge.bitRate);
    auto form = Open(1, 1);
    Choose(Find(*form, "CmbACode"), edge.codec);
    Choose(Find(*form, "CmbARate"), edge.sampleRate);
    Choose(Find(*form, "CmbABit"), edge.bitRate);
    Click(*form, "ssSBOk");
    EXPECT_EQ(form->result(), QDialog::Accepted);
  }
  EXPECT_TRUE(dialogs_.shown.empty());
}

// ---- Leaving without OK ----

TEST_F(SettingsWindowTest, CancelTheCloseButtonAndEscapeChangeNothing) {
  const ProfileSetting before = *catalogue_.FindProfile(1);
  const QByteArray userFile = UserFileBytes();
  for (const char* way : {"ssSBCancel", "SBtnClose", "Escape"}) {
    SCOPED_TRACE(way);
    auto form = Open(1, 1);
    Find(*form, "CmbVRes")->setEditText("1280*720");
    Choose(Find(*form, "CmbAChan"), "Mono");
    if (std::string(way) == "Escape") {
      QTest::keyClick(form.get(), Qt::Key_Escape);
    } else {
      Click(*form, way);
    }
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
  }
  EXPECT_EQ(Record(*catalogue_.FindProfile(1)), Record(before));
  EXPECT_EQ(UserFileBytes(), userFile);
  EXPECT_TRUE(dialogs_.shown.empty());
}

// ---- Typing, focus, lists, help ----

TEST_F(SettingsWindowTest, TheResolutionBoxTakesOnlyDigitsStarAndX) {
  auto form = Open(1, 1);
  QComboBox* resolution = Find(*form, "CmbVRes");
  resolution->lineEdit()->clear();
  QTest::keyClicks(resolution, "12a80xq7-2 0X,.");
  EXPECT_EQ(resolution->currentText(), "1280x720X");
  QTest::keyClick(resolution, Qt::Key_Backspace);
  QTest::keyClicks(resolution, "*");
  EXPECT_EQ(resolution->currentText(), "1280x720*");
  // Enter keeps the typed text out of the list.
  QTest::keyClick(resolution, Qt::Key_Return);
  EXPECT_EQ(resolution->count(), 3);
}

TEST_F(SettingsWindowTest, EachParameterBoxDescribesItselfWhenItGainsTheFocus) {
  const std::vector<std::pair<const char*, const char*>> starts = {
      {"CmbVCode",
       "The \"Encoder\" stands for Video Codec, Force the Video Codec to convert media files to "
       "that format."},
      {"CmbVRes", "\"Resolution\" means the video size in Width(pixels)*Height(pixels)."},
      {"CmbVRate", "\"Frame Rate\" means one still picture -- by changing still pictures eg. frames quickly"},
      {"CmbVBit",
       "The \"Video Bitrate\" refers to either a constant number of bits used to Encode each "
       "second of video"},
      {"CmbACode",
       "The \"Encoder\" stands for Audio Codec, Force the Audio Codec to convert media files to "
       "that format."},
      {"CmbARate", "\"Sample Rate\" refers to the sampling Frequency of an analog to digital conversion"},
      {"CmbAChan",
       "In audio, a channel is a stream of audio that is to be played by one speaker. Stereo "
       "audio for example, like that on common CDs, consists of two channels."},
      {"CmbABit",
       "The \"Audio Bitrate\" refers to either a constant number of bits used to Encode each "
       "second of audio"},
  };
  auto form = Open(1, 1);
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  const QLabel* description = form->findChild<QLabel*>("LabelDesc");
  for (const auto& [box, start] : starts) {
    SCOPED_TRACE(box);
    Find(*form, box)->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(Find(*form, box)->hasFocus());
    EXPECT_TRUE(description->text().startsWith(QString::fromLatin1(start)))
        << description->text().toStdString();
  }
  // Every description fits the help card.
  for (const auto& [box, start] : starts) {
    Find(*form, box)->setFocus(Qt::TabFocusReason);
    EXPECT_LE(description->heightForWidth(description->width()), description->height()) << box;
  }
}

TEST_F(SettingsWindowTest, TheCatalogueBoxesOpenTheirListsWideEnoughForLongNames) {
  auto form = Open(1, 1);
  for (const auto& [name, width] : {std::pair{"CmbProfileGrp", 150}, std::pair{"CmbProfile", 300}}) {
    SCOPED_TRACE(name);
    QComboBox* box = Find(*form, name);
    box->showPopup();
    EXPECT_GE(box->view()->width(), width);
    box->hidePopup();
  }
}

TEST_F(SettingsWindowTest, HelpHandsTheProductsHelpFileToTheShell) {
  auto form = Open(1, 1);
  Click(*form, "SBtnHelp");
  EXPECT_EQ(shell_.opened, std::vector<QString>{context_.productFolder + "help.html"});
  EXPECT_TRUE(form->isVisible());
}

TEST_F(SettingsWindowTest, EveryControlLiesInsideTheWindowAndNoneOverlapsAnother) {
  auto form = Open(1, 1);
  std::vector<const QWidget*> controls;
  for (const QWidget* child : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isVisible() && child->objectName() != "ssSkinForm1") {
      controls.push_back(child);
    }
  }
  ASSERT_GE(controls.size(), 20u);
  for (size_t i = 0; i < controls.size(); ++i) {
    EXPECT_TRUE(form->rect().contains(controls[i]->geometry())) << controls[i]->objectName().toStdString();
    for (size_t j = i + 1; j < controls.size(); ++j) {
      EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
          << controls[i]->objectName().toStdString() << " overlaps "
          << controls[j]->objectName().toStdString();
    }
  }
}

// ---- Add ----

TEST_F(SettingsWindowTest, AddWithThePrefilledNameIsRefusedAndANameDifferingInCaseIsAccepted) {
  auto form = Open(1, 1);
  const int32_t nextId = catalogue_.LastProfileId() + 1;
  const ProfileSetting source = *catalogue_.FindProfile(1);
  Choose(Find(*form, "CmbAChan"), "Mono");
  Choose(Find(*form, "CmbVRate"), "Keep Original");
  Find(*form, "CmbVRes")->setEditText("1280x720");

  QString prefilled;
  QObject scope;
  OnNextModal(&scope, [&](QDialog* saveAs) {
    ASSERT_NE(qobject_cast<TSettingSaveAsForm1*>(saveAs), nullptr);
    EXPECT_EQ(saveAs->parentWidget(), form.get());
    auto* name = Find<QLineEdit>(*saveAs, "edtProfileName");
    prefilled = name->text();
    Click(*saveAs, "ssSBOK");
    EXPECT_TRUE(saveAs->isVisible()) << "the name is taken";
    EXPECT_EQ(MessageTexts(), std::vector<QString>{kNameTaken});
    name->setText("mp4 video");
    Click(*saveAs, "ssSBOK");
    EXPECT_FALSE(saveAs->isVisible());
  });
  Click(*form, "ssSBAdd");

  EXPECT_EQ(prefilled, "MP4 Video");
  EXPECT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].caption, kTitle);
  ProfileSetting* added = Named("mp4 video");
  ASSERT_NE(added, nullptr);
  ProfileSetting expected = source;
  expected.ProfileId = nextId;
  expected.Groups = {9};
  expected.ProfileName = "mp4 video";
  expected.Channel = 1;
  expected.FrameRate = -1;
  expected.KeepOriFrameRate = 1;
  expected.Width = 1280;
  expected.Height = 720;
  EXPECT_EQ(Record(*added), Record(expected));
  EXPECT_EQ(Record(*catalogue_.FindProfile(1)), Record(source)) << "the shown profile is not changed by Add";
  EXPECT_EQ(UserFileNames(), QStringList({"Mine", "Mine Too", "mp4 video"}));

  // The editor then shows the new profile in the user group, and stays open.
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->shownGroupId(), 9);
  EXPECT_EQ(form->shownProfileId(), nextId);
  EXPECT_EQ(Find(*form, "CmbProfileGrp")->currentText(), "Mine");
  EXPECT_EQ(Find(*form, "CmbProfile")->currentText(), "mp4 video");
  EXPECT_EQ(Find(*form, "CmbAChan")->currentText(), "Mono");
  EXPECT_EQ(Find(*form, "CmbVRes")->currentText(), "1280*720");
  EXPECT_TRUE(Find<TssSkinButton>(*form, "ssSBDelete")->isEnabled());
}

TEST_F(SettingsWindowTest, CancellingSaveAsAddsNothing) {
  auto form = Open(1, 1);
  const QByteArray userFile = UserFileBytes();
  const int profiles = catalogue_.ProfileCount();
  for (const char* way : {"ssSBCancel", "ssSBClose"}) {
    SCOPED_TRACE(way);
    QObject scope;
    OnNextModal(&scope, [&](QDialog* saveAs) {
      Find<QLineEdit>(*saveAs, "edtProfileName")->setText("Fresh");
      Click(*saveAs, way);
      EXPECT_EQ(saveAs->result(), QDialog::Rejected);
    });
    Click(*form, "ssSBAdd");
  }
  EXPECT_EQ(catalogue_.ProfileCount(), profiles);
  EXPECT_EQ(UserFileBytes(), userFile);
  EXPECT_EQ(form->shownProfileId(), 1);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(SettingsWindowTest, WithoutAUserGroupAddIsDisabled) {
  WriteGroups({{{"GroupId", "1"}, {"GroupName", "Video"}}});
  catalogue_.LoadCatalogue();
  auto form = Open(1, 1);
  EXPECT_FALSE(Find<TssSkinButton>(*form, "ssSBAdd")->isEnabled());
  EXPECT_TRUE(Find<TssSkinButton>(*form, "ssSBOk")->isEnabled());
}

// ---- Delete ----

TEST_F(SettingsWindowTest, DeleteAsksAndRemovesTheUserProfileOnlyOnYes) {
  auto form = Open(9, 1501);
  Click(*form, "ssSBDelete");
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, kDeleteQuestion);
  EXPECT_EQ(dialogs_.shown[0].caption, kTitle);
  EXPECT_EQ(dialogs_.shown[0].buttons, platform::MsgButtons::YesNo);
  EXPECT_EQ(dialogs_.shown[0].icon, platform::MsgIcon::Information);
  EXPECT_NE(catalogue_.FindProfile(1501), nullptr) << "answered No";
  EXPECT_EQ(UserFileNames(), QStringList({"Mine", "Mine Too"}));

  dialogs_.answers = {platform::MsgAnswer::Yes};
  Click(*form, "ssSBDelete");
  EXPECT_EQ(catalogue_.FindProfile(1501), nullptr);
  EXPECT_EQ(UserFileNames(), QStringList({"Mine"}));
  // The group's first remaining profile is shown.
  EXPECT_EQ(Items(Find(*form, "CmbProfile")), QStringList({"Mine"}));
  EXPECT_EQ(form->shownGroupId(), 9);
  EXPECT_EQ(form->shownProfileId(), 1500);
  EXPECT_NE(form->shownProfile(), nullptr);
  EXPECT_TRUE(form->initialDeleted()) << "the editor was opened on the profile deleted";
  EXPECT_TRUE(form->isVisible());
}

TEST_F(SettingsWindowTest, DeletingTheLastProfileOfAGroupShowsTheFirstGroupsFirstProfile) {
  dialogs_.answers = {platform::MsgAnswer::Yes, platform::MsgAnswer::Yes};
  auto form = Open(9, 1500);
  Click(*form, "ssSBDelete");
  Click(*form, "ssSBDelete");
  EXPECT_EQ(UserFileNames(), QStringList());
  EXPECT_EQ(Find(*form, "CmbProfileGrp")->currentText(), "Video");
  EXPECT_EQ(Find(*form, "CmbProfile")->currentText(), "MP4 Video");
  EXPECT_EQ(form->shownGroupId(), 1);
  EXPECT_EQ(form->shownProfileId(), 1);
  EXPECT_FALSE(Find<TssSkinButton>(*form, "ssSBDelete")->isEnabled());
}

TEST_F(SettingsWindowTest, DeletingTheOpeningProfileMakesCancelAnswerOkWithTheNumbersShown) {
  for (const char* way : {"ssSBCancel", "SBtnClose"}) {
    SCOPED_TRACE(way);
    ASSERT_TRUE(catalogue_.LoadCatalogue());
    dialogs_.answers = {platform::MsgAnswer::Yes};
    auto form = Open(9, 1500);
    Click(*form, "ssSBDelete");
    EXPECT_TRUE(form->initialDeleted());
    Click(*form, way);
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(form->shownGroupId(), 9);
    EXPECT_EQ(form->shownProfileId(), 1501);
    // Put the deleted profile back for the next way out.
    WriteUser({Record(VideoProfile(1500, {9}, "Mine")), Record(VideoProfile(1501, {9}, "Mine Too"))});
  }
}

// When nothing is left to show (the first group is empty), no control may act on the deleted profile.
TEST_F(SettingsWindowTest, WhenNoProfileIsLeftToShowTheEditorOffersOnlyToLeave) {
  WriteGroups({{{"GroupId", "3"}, {"GroupName", "Empty"}},
               {{"GroupId", "9"}, {"GroupName", "Mine"}, {"UserGroup", "1"}}});
  WriteUser({Record(VideoProfile(1500, {9}, "Mine"))});
  ASSERT_TRUE(catalogue_.LoadCatalogue());
  dialogs_.answers = {platform::MsgAnswer::Yes};
  auto form = Open(9, 1500);
  Click(*form, "ssSBDelete");

  EXPECT_EQ(form->shownProfile(), nullptr);
  EXPECT_EQ(form->shownGroupId(), -1);
  EXPECT_EQ(form->shownProfileId(), -1);
  EXPECT_EQ(Find(*form, "CmbProfileGrp")->currentText(), "Empty");
  for (const char* name : kParameterBoxes) {
    EXPECT_FALSE(Find(*form, name)->isEnabled()) << name;
    EXPECT_EQ(Find(*form, name)->count(), 0) << name;
  }
  for (const char* button : {"ssSBOk", "ssSBAdd", "ssSBDelete"}) {
    EXPECT_FALSE(Find<TssSkinButton>(*form, button)->isEnabled()) << button;
  }
  Click(*form, "ssSBCancel");
  EXPECT_EQ(form->result(), QDialog::Accepted) << "the opening profile is gone";
}

TEST_F(SettingsWindowTest, AnEmptyGroupLeavesTheBoxesOnTheProfileShownBefore) {
  auto form = Open(1, 1);
  Choose(Find(*form, "CmbProfileGrp"), "Empty");
  EXPECT_EQ(Find(*form, "CmbProfile")->count(), 0);
  EXPECT_EQ(form->shownGroupId(), 1);
  EXPECT_EQ(form->shownProfileId(), 1);
  EXPECT_EQ(Find(*form, "CmbVCode")->currentText(), "H.264");
  Choose(Find(*form, "CmbAChan"), "Mono");
  Click(*form, "ssSBOk");
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(catalogue_.FindProfile(1)->Channel, 1);
}

}  // namespace
