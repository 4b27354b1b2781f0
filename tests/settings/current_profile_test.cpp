#include "settings/current_profile.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QString>

#include "base/qt_text.h"
#include "components/i_save_option_xml.h"
#include "plug/plug_ptr.h"
#include "tests/settings/settings_test_env.h"

namespace {

using settings_test::CatalogueTest;

class CurrentProfileTest : public CatalogueTest {
 protected:
  QString FilePath() const {
    return Root("home/.local/share/Tolvermax Studio/Video Converter/user_current_profile.xml");
  }

  QString StoredText(const char16_t* key) {
    PlugPtr<I_SaveOptionXml> store;
    if (!CreateInto(store, kSaveOptionXmlName) || !store->Load(U16(FilePath()))) {
      return "(unreadable)";
    }
    return QString::fromUtf16(store->GetString(key));
  }
};

TEST_F(CurrentProfileTest, TheChoiceRoundTripsThroughTheUserDataFolder) {
  EXPECT_EQ(CurrentProfileFilePath(context_), FilePath());
  const CurrentProfileChoice choice{"Phones & Tablets", "Téléphone <720p> \"日本\""};

  ASSERT_TRUE(WriteCurrentProfile(context_, choice));

  EXPECT_EQ(StoredText(u"product\\profile_grp"), choice.group);
  EXPECT_EQ(StoredText(u"product\\profile"), choice.profile);
  const CurrentProfileChoice read = ReadCurrentProfile(context_);
  EXPECT_EQ(read.group, choice.group);
  EXPECT_EQ(read.profile, choice.profile);

  ASSERT_TRUE(WriteCurrentProfile(context_, {"Audio", "MP3 Audio"}));
  EXPECT_EQ(ReadCurrentProfile(context_).group, "Audio");
  EXPECT_EQ(ReadCurrentProfile(context_).profile, "MP3 Audio");
}

TEST_F(CurrentProfileTest, RewritingKeepsTheFilesOtherValues) {
  WriteFile(FilePath(), settings_test::RecordsXml("Note", {{{"text", "kept"}}}));

  ASSERT_TRUE(WriteCurrentProfile(context_, {"HD Video", "HD MP4 1080p"}));

  const auto records = settings_test::RecordsOf(FilePath());
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].settings[0].text, "kept");
  EXPECT_EQ(ReadCurrentProfile(context_).profile, "HD MP4 1080p");
}

TEST_F(CurrentProfileTest, NothingStoredReadsAsEmptyNames) {
  CurrentProfileChoice read = ReadCurrentProfile(context_);
  EXPECT_TRUE(read.group.isEmpty());
  EXPECT_TRUE(read.profile.isEmpty());

  WriteFile(FilePath(), "not an option file");
  read = ReadCurrentProfile(context_);
  EXPECT_TRUE(read.group.isEmpty());
  EXPECT_TRUE(read.profile.isEmpty());
}

TEST_F(CurrentProfileTest, WithoutContextNothingIsReadOrWritten) {
  context_ = MuiContext{};
  EXPECT_TRUE(CurrentProfileFilePath(context_).isEmpty());
  EXPECT_FALSE(WriteCurrentProfile(context_, {"Audio", "MP3 Audio"}));
  EXPECT_TRUE(ReadCurrentProfile(context_).profile.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(Root("home/.local/share/Tolvermax Studio")));
}

}  // namespace
