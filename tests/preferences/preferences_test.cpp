#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>

#include "base/folders.h"
#include "base/qt_text.h"
#include "plug/plug_ptr.h"
#include "settings/preferences/preference_values.h"
#include "settings/preferences/preferences_window.h"
#include "tests/app/app_test_env.h"
#include "tests/preferences/logging_store.h"
#include "widgets/ssbutton.h"

namespace {

class PreferencesTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WriteFile(Root("home/.config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    app_.SetTitle(QStringLiteral("Kestrelvine Converter"));
    LoggingStore::Log().clear();
  }

  // The user's copy, which the window writes; the product folder's copy is only a default.
  QString File() const {
    return Root("home/.local/share/Tolvermax Studio/Video Converter/Profile/preferences.xml");
  }
  QString ShippedFile() const { return context_.productFolder + "Profile/preferences.xml"; }
  QString Documents(const QString& relative) const { return Root("home/Papers/" + relative); }

  // Writes `values` as they would be stored by an earlier run.
  void Store(std::initializer_list<std::pair<const char16_t*, QString>> values) {
    PlugPtr<I_SaveOptionXml> store;
    ASSERT_TRUE(CreateInto(store, kSaveOptionXmlName));
    store->Load(U16(File()));
    for (const auto& [key, value] : values) {
      store->SetString(key, U16(value));
    }
    ASSERT_TRUE(QDir().mkpath(QFileInfo(File()).absolutePath()));
    ASSERT_TRUE(store->SaveAs(U16(File())));
    LoggingStore::Log().clear();
  }

  QString Stored(const char16_t* key) {
    PlugPtr<I_SaveOptionXml> store;
    if (!CreateInto(store, kSaveOptionXmlName) || !store->Load(U16(File()))) {
      return QStringLiteral("<no file>");
    }
    if (!store->HasKey(key)) {
      return QStringLiteral("<absent>");
    }
    return QString::fromUtf16(store->GetString(key));
  }

  QByteArray Bytes() const {
    QFile file(File());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
  }

  std::unique_ptr<TPreferencesForm1> Open() {
    auto form = std::make_unique<TPreferencesForm1>(Ui(), nullptr);
    form->show();
    return form;
  }

  template <class T>
  static T* Find(const QWidget& form, const char* name) {
    T* widget = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  static void Click(const QWidget& form, const char* button) {
    auto* target = Find<TssSkinButton>(form, button);
    if (target != nullptr) {
      QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, 5));
    }
  }

  static QComboBox* Box(const QWidget& form, const char* name) { return Find<QComboBox>(form, name); }
  static QString Field(const QWidget& form, const char* name) { return Find<QLineEdit>(form, name)->text(); }

  static QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
      items << box->itemText(i);
    }
    return items;
  }

  std::optional<AutoReg> registrar_{std::in_place, kSaveOptionXmlName, &LoggingStore::Create};
};

TEST_F(PreferencesTest, FirstRunShowsTheDefaultsAndCreatesTheDefaultFolders) {
  auto form = Open();
  EXPECT_EQ(Field(*form, "Destination"), Documents("Tolvermax Studio/Output"));
  EXPECT_EQ(Field(*form, "SnapShot"), Documents("Tolvermax Studio/Snapshot"));
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Output")).isDir());
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Snapshot")).isDir());
  EXPECT_TRUE(Find<QLineEdit>(*form, "Destination")->isReadOnly());

  EXPECT_EQ(Items(Box(*form, "ImageType")), (QStringList{"JPEG", "GIF", "BMP"}));
  EXPECT_EQ(Items(Box(*form, "RippingDone")), (QStringList{"No Action", "Shut Down"}));
  EXPECT_EQ(Items(Box(*form, "CPUUsage")), (QStringList{"50%", "60%", "70%", "80%", "90%", "100%"}));
  EXPECT_EQ(Items(Box(*form, "Language")), (QStringList{"English"}));
  EXPECT_EQ(Items(Box(*form, "Skin")), (QStringList{"Default"}));
  EXPECT_EQ(Box(*form, "ImageType")->currentIndex(), -1);
  EXPECT_EQ(Box(*form, "CPUUsage")->currentIndex(), -1);
  EXPECT_EQ(Box(*form, "RippingDone")->currentText(), "No Action");
  EXPECT_EQ(Box(*form, "Language")->currentText(), "English");
  EXPECT_EQ(Box(*form, "Skin")->currentText(), "Default");
  EXPECT_EQ(Find<QLabel>(*form, "lblTitle")->text(), "Properties");
  EXPECT_TRUE(form->GeneralShown());
  EXPECT_FALSE(QFileInfo::exists(File()));

  // Apply creates the file, with empty text for the lists nobody picked from.
  Click(*form, "ssSBApply");
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(LoggingStore::Alive(), 0);
  // Saved to the user's copy by name: the values may have been read from the product's default.
  EXPECT_EQ(LoggingStore::Log(),
            (QStringList{"SetString general\\destination=" + Documents("Tolvermax Studio/Output"),
                         "SetString general\\snap_shot_folder=" + Documents("Tolvermax Studio/Snapshot"),
                         "SetString general\\image_type=", "SetInt general\\after_ripping_done=0",
                         "SetString general\\cpu_usage=", "SetString options\\language=English",
                         "SetString options\\skin=Default", "SaveAs"}));
  EXPECT_EQ(Stored(prefs::kImageType), "");
  EXPECT_EQ(Stored(prefs::kCpuUsage), "");
  EXPECT_EQ(Stored(prefs::kAfterRippingDone), "0");
  EXPECT_EQ(Stored(prefs::kLanguage), "English");
}

TEST_F(PreferencesTest, StoredFoldersAreShownAsTheyAreAndTheDefaultsAreCreatedAnyway) {
  Store({{prefs::kDestination, Root("films/out")}, {prefs::kSnapShotFolder, Root("films/stills")}});
  auto form = Open();
  EXPECT_EQ(Field(*form, "Destination"), Root("films/out"));
  EXPECT_EQ(Field(*form, "SnapShot"), Root("films/stills"));
  EXPECT_FALSE(QFileInfo::exists(Root("films/out")));
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Output")).isDir());
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Snapshot")).isDir());

  // Created again on the next opening when someone removed them in between.
  form.reset();
  ASSERT_TRUE(QDir(Documents("Tolvermax Studio")).removeRecursively());
  form = Open();
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Output")).isDir());
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Snapshot")).isDir());
}

struct ChoiceCase {
  const char* name;
  const char16_t* key;
  const char* box;
  const char* stored;
  int shownIndex;
  const char* applied;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) {
  *os << c.name;
}

class PreferenceChoiceTest : public PreferencesTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(PreferenceChoiceTest, StoredTextSelectsTheItemIgnoringCaseAndApplyStoresTheItemsText) {
  const ChoiceCase& c = GetParam();
  Store({{c.key, QString::fromUtf8(c.stored)}});
  auto form = Open();
  EXPECT_EQ(Box(*form, c.box)->currentIndex(), c.shownIndex);
  Click(*form, "ssSBApply");
  EXPECT_EQ(Stored(c.key), QString::fromUtf8(c.applied));
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PreferenceChoiceTest,
    ::testing::Values(ChoiceCase{"ImageTypeExact", prefs::kImageType, "ImageType", "GIF", 1, "GIF"},
                      ChoiceCase{"ImageTypeSmallLetters", prefs::kImageType, "ImageType", "gif", 1, "GIF"},
                      ChoiceCase{"ImageTypeUnknown", prefs::kImageType, "ImageType", "PNG", -1, ""},
                      ChoiceCase{"CpuUsage", prefs::kCpuUsage, "CPUUsage", "80%", 3, "80%"},
                      ChoiceCase{"CpuUsageUnknown", prefs::kCpuUsage, "CPUUsage", "75%", -1, ""},
                      ChoiceCase{"LanguageSmallLetters", prefs::kLanguage, "Language", "english", 0,
                                 "English"},
                      ChoiceCase{"LanguageEmptyIsTheDefault", prefs::kLanguage, "Language", "", 0, "English"},
                      ChoiceCase{"LanguageUnknown", prefs::kLanguage, "Language", "Klingon", -1, ""},
                      ChoiceCase{"SkinCapitals", prefs::kSkin, "Skin", "DEFAULT", 0, "Default"},
                      ChoiceCase{"SkinUnknown", prefs::kSkin, "Skin", "Purple", -1, ""},
                      ChoiceCase{"ActionShutDown", prefs::kAfterRippingDone, "RippingDone", "1", 1, "1"},
                      ChoiceCase{"ActionTooLarge", prefs::kAfterRippingDone, "RippingDone", "2", 0, "0"},
                      ChoiceCase{"ActionNegative", prefs::kAfterRippingDone, "RippingDone", "-1", 0, "0"},
                      ChoiceCase{"ActionNotANumber", prefs::kAfterRippingDone, "RippingDone", "yes", 0, "0"}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return info.param.name; });

TEST_F(PreferencesTest, TabButtonsSwitchPagesAndApplyWithTheGeneralPageHiddenWritesEveryKey) {
  Store({{prefs::kImageType, "BMP"}, {prefs::kCpuUsage, "100%"}});
  auto form = Open();
  auto* general = Find<QWidget>(*form, "GeneralPanel");
  auto* option = Find<QWidget>(*form, "OptionPanel");
  auto* generalTab = Find<TssSkinButton>(*form, "ssSBGeneral");
  auto* optionTab = Find<TssSkinButton>(*form, "ssSBOption");
  EXPECT_EQ(option->geometry(), general->geometry());
  EXPECT_TRUE(general->isVisible());
  EXPECT_FALSE(option->isVisible());
  const QImage generalOn = generalTab->Skin();
  const QImage optionOff = optionTab->Skin();

  Click(*form, "ssSBOption");
  EXPECT_FALSE(form->GeneralShown());
  EXPECT_FALSE(general->isVisible());
  EXPECT_TRUE(option->isVisible());
  EXPECT_NE(generalTab->Skin(), generalOn);
  EXPECT_NE(optionTab->Skin(), optionOff);

  Box(*form, "RippingDone")->setCurrentIndex(1);
  Click(*form, "ssSBApply");
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(Stored(prefs::kDestination), Documents("Tolvermax Studio/Output"));
  EXPECT_EQ(Stored(prefs::kSnapShotFolder), Documents("Tolvermax Studio/Snapshot"));
  EXPECT_EQ(Stored(prefs::kImageType), "BMP");
  EXPECT_EQ(Stored(prefs::kAfterRippingDone), "1");
  EXPECT_EQ(Stored(prefs::kCpuUsage), "100%");
  EXPECT_EQ(Stored(prefs::kLanguage), "English");
  EXPECT_EQ(Stored(prefs::kSkin), "Default");

  // And back.
  form = Open();
  Click(*form, "ssSBOption");
  Click(*form, "ssSBGeneral");
  EXPECT_TRUE(form->GeneralShown());
  EXPECT_EQ(Find<TssSkinButton>(*form, "ssSBGeneral")->Skin(), generalOn);
  EXPECT_EQ(Find<TssSkinButton>(*form, "ssSBOption")->Skin(), optionOff);
}

class PreferenceCloseTest : public PreferencesTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PreferenceCloseTest, ClosingWithoutApplyWritesNothingEvenAfterChangesAndBrowsing) {
  Store({{prefs::kImageType, "jpeg"}, {prefs::kDestination, Root("films")}});
  const QByteArray before = Bytes();
  dialogs_.folders = {Root("elsewhere"), Root("stills")};
  auto form = Open();
  Click(*form, "DestBrowser");
  Click(*form, "SnapBrowser");
  EXPECT_EQ(Field(*form, "Destination"), Root("elsewhere"));
  EXPECT_EQ(Field(*form, "SnapShot"), Root("stills"));
  EXPECT_EQ(dialogs_.folderTitles,
            (std::vector<QString>{"Select the output folder", "Select the snapshot folder"}));
  Box(*form, "ImageType")->setCurrentIndex(2);
  Box(*form, "RippingDone")->setCurrentIndex(1);

  Click(*form, GetParam());
  EXPECT_EQ(form->result(), QDialog::Rejected);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(Bytes(), before);
  EXPECT_TRUE(LoggingStore::Log().isEmpty()) << LoggingStore::Log().join(", ").toStdString();
  // The store is given up when the window closes, not when it is destroyed.
  EXPECT_EQ(LoggingStore::Alive(), 0);
}

INSTANTIATE_TEST_SUITE_P(Buttons, PreferenceCloseTest, ::testing::Values("ssSBCancel", "ssSBClose"));

TEST_F(PreferencesTest, CancelOnFirstRunCreatesNoFile) {
  auto form = Open();
  Click(*form, "ssSBCancel");
  EXPECT_FALSE(QFileInfo::exists(File()));
}

TEST_F(PreferencesTest, ACancelledBrowseKeepsTheField) {
  auto form = Open();
  const QString before = Field(*form, "Destination");
  Click(*form, "DestBrowser");
  EXPECT_EQ(dialogs_.folderTitles.size(), 1u);
  EXPECT_EQ(Field(*form, "Destination"), before);
}

TEST_F(PreferencesTest, OpenButtonsAndHelpGoThroughTheShell) {
  Store({{prefs::kSnapShotFolder, Root("stills")}});
  auto form = Open();
  Click(*form, "DestOpen");
  Click(*form, "SnapOpen");
  Click(*form, "ssSBHelp");
  EXPECT_EQ(shell_.opened, (std::vector<QString>{Documents("Tolvermax Studio/Output"), Root("stills"),
                                                 context_.productFolder + "help.html"}));
}

// The product may ship default preferences; the window shows them until the user applies, and then
// writes the user's own copy, never the product's.
TEST_F(PreferencesTest, AShippedDefaultIsShownAndApplyWritesTheUsersCopy) {
  Store({{prefs::kImageType, "GIF"}});
  ASSERT_TRUE(QDir().mkpath(QFileInfo(ShippedFile()).absolutePath()));
  ASSERT_TRUE(QFile::rename(File(), ShippedFile()));
  QFile shipped(ShippedFile());
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  const QByteArray before = shipped.readAll();
  shipped.close();

  auto form = Open();
  EXPECT_EQ(form->findChild<QComboBox*>("ImageType")->currentText(), "GIF");
  Click(*form, "ssSBApply");

  EXPECT_EQ(Stored(prefs::kImageType), "GIF");
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  EXPECT_EQ(shipped.readAll(), before);
}

TEST_F(PreferencesTest, AFailedSaveIsReportedAndTheWindowStaysOpen) {
  // A folder where the file should be: the store can neither read nor replace it.
  ASSERT_TRUE(QDir().mkpath(File()));
  auto form = Open();
  Click(*form, "ssSBApply");
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_TRUE(dialogs_.shown[0].text.contains("could not be saved")) << dialogs_.shown[0].text.toStdString();
  EXPECT_EQ(dialogs_.shown[0].caption, "Kestrelvine Converter");
  EXPECT_TRUE(form->isVisible());
  EXPECT_NE(form->result(), QDialog::Accepted);
  EXPECT_TRUE(QFileInfo(File()).isDir());

  // Cancel still closes it.
  Click(*form, "ssSBCancel");
  EXPECT_EQ(form->result(), QDialog::Rejected);
}

TEST_F(PreferencesTest, WithoutTheOptionStoreApplyReportsInsteadOfClosing) {
  registrar_.reset();
  auto form = Open();
  EXPECT_EQ(Field(*form, "Destination"), Documents("Tolvermax Studio/Output"));
  Click(*form, "ssSBApply");
  EXPECT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(QFileInfo::exists(File()));
}

TEST_F(PreferencesTest, ExecuteIsTrueExactlyWhenTheWindowClosedThroughApply) {
  ConverterPreferences preferences(context_);
  EXPECT_TRUE(preferences.AttachApplication(&app_));
  for (const char* button : {"ssSBApply", "ssSBCancel", "ssSBClose"}) {
    QTimer::singleShot(0, [button] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      Click(*modal, button);
    });
    EXPECT_EQ(preferences.Execute(), QString::fromLatin1(button) == "ssSBApply") << button;
  }
  EXPECT_EQ(Stored(prefs::kSkin), "Default");
}

TEST_F(PreferencesTest, PressingTheTitleMovesTheWindow) {
  auto form = Open();
  auto* title = Find<QLabel>(*form, "lblTitle");
  const QPoint start = form->pos();
  const QPoint grab = title->mapToGlobal(QPoint(4, 4));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 4), QPointF(grab), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(title, &press);
  // Where the window system moves the window itself, there is nothing more to see here.
  QMouseEvent move(QEvent::MouseMove, QPointF(34, 24), QPointF(grab + QPoint(30, 20)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(title, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(34, 24), QPointF(grab + QPoint(30, 20)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(title, &release);
  EXPECT_EQ(form->pos(), start + QPoint(30, 20));
}

TEST(PreferenceRules, AfterConversionIndexKeepsOnlyIndicesOfTheList) {
  EXPECT_EQ(prefs::RippingDoneIndex(std::nullopt, 2), 0);
  EXPECT_EQ(prefs::RippingDoneIndex(1, 2), 1);
  EXPECT_EQ(prefs::RippingDoneIndex(2, 2), 0);
  EXPECT_EQ(prefs::RippingDoneIndex(-1, 2), 0);
  EXPECT_EQ(prefs::RippingDoneIndex(INT32_MIN, 2), 0);
}

}  // namespace
