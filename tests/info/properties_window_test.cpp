#include "info/properties_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "info/properties_driver.h"
#include "tasks/mui_item_info.h"
#include "tests/info/info_test_env.h"
#include "widgets/ssbutton.h"

namespace {

constexpr const char* kValueLabels[] = {"lblResInfo",           "lblFrameRateinfo", "lblVCodecInfo",
                                        "lblAudioSampRateinfo", "lblChannelsinfo",  "lblACodecInfo"};

template <size_t N>
void Put(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N));
}

void AddTrack(MediaInfo& media, int32_t sampleRate, const std::string& channels, const std::string& codec) {
  AudioStreamEntry entry{};
  entry.id = media.audioCount + 1;
  entry.sampleRate = sampleRate;
  Put(entry.channels, channels);
  Put(entry.codec, codec);
  media.audioStreams[media.audioCount++] = entry;
}

// A film with a stereo AAC track and a 5.1 AC-3 track, the second one chosen.
MuiItemInfo Film() {
  MuiItemInfo item;
  MediaInfo& media = item.input.media;
  media.duration = 60.0;
  media.videoCount = 1;
  media.width = 1920;
  media.height = 1080;
  media.frameRateNum = 30000;
  media.frameRateDen = 1001;
  Put(media.videoCodec, "h264");
  AddTrack(media, 48000, "stereo", "aac");
  AddTrack(media, 44100, "5.1(side)", "ac3");
  item.audioIndex = 1;
  return item;
}

MuiItemInfo Song() {
  MuiItemInfo item;
  item.input.media.duration = 200.0;
  AddTrack(item.input.media, 44100, "mono", "mp3");
  item.audioIndex = 0;
  return item;
}

class PropertiesTest : public InfoTest {
 protected:
  static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5)); }

  static std::vector<QString> Values(const QWidget& form) {
    std::vector<QString> texts;
    for (const char* name : kValueLabels) {
      texts.push_back(LabelText(form, name));
    }
    return texts;
  }

  static QLabel* Caption(const QWidget& form, const QString& text) {
    for (QLabel* label : form.findChildren<QLabel*>()) {
      if (label->text() == text) {
        return label;
      }
    }
    return nullptr;
  }
};

TEST_F(PropertiesTest, ShowsItsCaptionsTopToBottomAndNotAvailableBeforeFillInfo) {
  TPropertiesForm1 form(Ui(), nullptr);
  EXPECT_EQ(form.size(), QSize(360, 320));
  EXPECT_EQ(LabelText(form, "lblTitle"), "Properties");
  EXPECT_EQ(Values(form), std::vector<QString>(6, QStringLiteral("N/A")));

  const char* captions[] = {"Video Information", "Resolution:",  "Frame Rate:", "Video Encoder:",
                            "Audio Information", "Sample Rate:", "Channels:",   "Audio Encoder:"};
  // Each value label stands on the row of the caption before it (the headings have none).
  const char* values[] = {nullptr, "lblResInfo",           "lblFrameRateinfo", "lblVCodecInfo",
                          nullptr, "lblAudioSampRateinfo", "lblChannelsinfo",  "lblACodecInfo"};
  int lastTop = form.findChild<QLabel*>("lblTitle")->geometry().bottom();
  std::vector<QRect> taken;
  for (size_t i = 0; i < std::size(captions); ++i) {
    const QLabel* caption = Caption(form, QString::fromLatin1(captions[i]));
    ASSERT_NE(caption, nullptr) << captions[i];
    EXPECT_GT(caption->y(), lastTop) << captions[i];
    lastTop = caption->y();
    taken.push_back(caption->geometry());
    if (values[i] != nullptr) {
      const auto* value = form.findChild<QLabel*>(values[i]);
      ASSERT_NE(value, nullptr) << values[i];
      EXPECT_LE(std::abs(value->geometry().center().y() - caption->geometry().center().y()), 2) << values[i];
      taken.push_back(value->geometry());
    }
  }
  for (size_t i = 0; i < taken.size(); ++i) {
    EXPECT_TRUE(form.rect().contains(taken[i])) << i;
    for (size_t j = i + 1; j < taken.size(); ++j) {
      EXPECT_FALSE(taken[i].intersects(taken[j])) << i << " overlaps " << j;
    }
  }
}

TEST_F(PropertiesTest, FillInfoShowsTheItemsVideoAndItsChosenAudioTrack) {
  TPropertiesForm1 form(Ui(), nullptr);
  EXPECT_TRUE(form.FillInfo(Film()));
  EXPECT_EQ(Values(form),
            (std::vector<QString>{"1920*1080", "29.970 fps", "h264", "44100 Hz", "5.1(side)", "ac3"}));

  // Filled again with a file of sound only, the video lines go back to "N/A".
  EXPECT_TRUE(form.FillInfo(Song()));
  EXPECT_EQ(Values(form), (std::vector<QString>{"N/A", "N/A", "N/A", "44100 Hz", "mono", "mp3"}));
}

TEST_F(PropertiesTest, ALongValueIsDrawnSmallerToShowWholeAndWhatCannotFitIsItsTooltip) {
  MuiItemInfo item = Film();
  // As long as the engine writes them: a layout spelled out speaker by speaker, a name filling its field.
  const std::string channels = "6 channels (FL+FR+FC+LFE+BL+BR)";
  const std::string codec = "pcm_s24le_planar_with_a_longer_names";
  const std::string videoCodec(36, 'W');
  Put(item.input.media.audioStreams[1].channels, channels);
  Put(item.input.media.audioStreams[1].codec, codec);
  Put(item.input.media.videoCodec, videoCodec);
  TPropertiesForm1 form(Ui(), nullptr);
  form.FillInfo(item);
  form.show();
  struct Long {
    const char* name;
    std::string text;
    bool fits;
  };
  for (const Long& value : {Long{"lblChannelsinfo", channels, true}, Long{"lblACodecInfo", codec, true},
                            Long{"lblVCodecInfo", videoCodec, false}}) {
    const auto* label = form.findChild<QLabel*>(value.name);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text().toStdString(), value.text) << value.name;
    EXPECT_TRUE(form.rect().contains(label->geometry())) << value.name;
    EXPECT_LT(label->font().pixelSize(), 12) << value.name;
    EXPECT_EQ(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width(), value.fits)
        << value.name;
    EXPECT_EQ(label->toolTip(), value.fits ? QString() : label->text()) << value.name;
  }
  // Short values keep the size of every other text.
  EXPECT_EQ(form.findChild<QLabel*>("lblAudioSampRateinfo")->font().pixelSize(), 12);
  EXPECT_EQ(form.findChild<QLabel*>("lblResInfo")->font().pixelSize(), 12);

  // Filled again with short values, they are drawn at the normal size again.
  form.FillInfo(Film());
  EXPECT_EQ(form.findChild<QLabel*>("lblACodecInfo")->font().pixelSize(), 12);
  EXPECT_EQ(form.findChild<QLabel*>("lblVCodecInfo")->toolTip(), QString());
}

TEST_F(PropertiesTest, TheHelpButtonHandsTheProductsHelpFileToTheShell) {
  TPropertiesForm1 form(Ui(), nullptr);
  form.show();
  Click(form.findChild<TssSkinButton*>("SBtnHelp"));
  EXPECT_EQ(shell_.opened, std::vector<QString>{context_.productFolder + "help.html"});
  EXPECT_TRUE(form.isVisible());
}

TEST_F(PropertiesTest, WithoutAProductFolderHelpOpensNothing) {
  context_.productFolder.clear();
  TPropertiesForm1 form(Ui(), nullptr);
  form.show();
  Click(form.findChild<TssSkinButton*>("SBtnHelp"));
  EXPECT_TRUE(shell_.opened.empty());
}

TEST_F(PropertiesTest, BothCloseButtonsCloseTheWindowAsCancelled) {
  for (const char* button : {"SBtnClose", "ssSkinButton1"}) {
    TPropertiesForm1 form(Ui(), nullptr);
    form.show();
    auto* target = form.findChild<TssSkinButton*>(QString::fromLatin1(button));
    ASSERT_NE(target, nullptr) << button;
    EXPECT_TRUE(form.rect().contains(target->geometry())) << button;
    Click(target);
    EXPECT_EQ(form.result(), QDialog::Rejected) << button;
    EXPECT_FALSE(form.isVisible()) << button;
  }
}

TEST_F(PropertiesTest, PressingTheTitleMovesTheWindow) {
  TPropertiesForm1 form(Ui(), nullptr);
  form.show();
  auto* title = form.findChild<QLabel*>("lblTitle");
  ASSERT_NE(title, nullptr);
  QTest::mousePress(title, Qt::LeftButton, {}, QPoint(4, 4));
  QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(4, 4));

  const QPoint start = form.pos();
  const QPoint grab = title->mapToGlobal(QPoint(4, 4));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 4), QPointF(grab), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(title, &press);
  QMouseEvent move(QEvent::MouseMove, QPointF(34, 24), QPointF(grab + QPoint(30, 20)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(title, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(34, 24), QPointF(grab + QPoint(30, 20)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(title, &release);
  // Where the window system moves the window itself, the window is wherever it put it.
  if (QGuiApplication::platformName() == "offscreen") {
    EXPECT_EQ(form.pos(), start + QPoint(30, 20));
  }
}

TEST_F(PropertiesTest, TheProductsPictureShapesTheWindowAndTheTitleButtonsFollowItsRightEdge) {
  QImage own(400, 300, QImage::Format_RGB32);
  own.fill(QColor(10, 20, 30));
  PutSkin("form_properties.png", own);
  TPropertiesForm1 form(Ui(), nullptr);
  EXPECT_EQ(form.size(), QSize(400, 300));
  EXPECT_EQ(form.findChild<TssSkinButton*>("SBtnClose")->pos(), QPoint(372, 7));
  EXPECT_EQ(form.findChild<TssSkinButton*>("SBtnHelp")->pos(), QPoint(350, 7));
  EXPECT_TRUE(form.rect().contains(form.findChild<TssSkinButton*>("ssSkinButton1")->geometry()));
}

TEST_F(PropertiesTest, ShowPropertiesWindowRunsModallyOverItsOwnerFilledAndDestroysTheWindow) {
  QWidget owner;
  owner.setGeometry(100, 100, 800, 600);
  owner.show();
  QPointer<QWidget> seen;
  QPoint centre;
  std::vector<QString> shown;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    seen = modal;
    centre = modal->geometry().center();
    shown = Values(*modal);
    Click(modal->findChild<TssSkinButton*>("ssSkinButton1"));
  });
  EXPECT_TRUE(ShowPropertiesWindow(Ui(), &owner, Film()));
  EXPECT_NE(seen.data(), &owner);
  EXPECT_TRUE(seen.isNull());
  EXPECT_EQ(shown, (std::vector<QString>{"1920*1080", "29.970 fps", "h264", "44100 Hz", "5.1(side)", "ac3"}));
  EXPECT_LE((centre - owner.geometry().center()).manhattanLength(), 2);
}

TEST_F(PropertiesTest, TheDriverShowsTheItemOverTheMainFormOnlyOnceAnApplicationIsAttached) {
  ConverterProperties properties(context_);
  bool shownEarly = false;
  QTimer::singleShot(0, [&] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      shownEarly = true;
      modal->close();
    }
  });
  EXPECT_FALSE(properties.ShowProperties(Film()));
  QApplication::processEvents();
  EXPECT_FALSE(shownEarly);

  EXPECT_TRUE(properties.AttachApplication(&app_));
  std::vector<QString> shown;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    shown = Values(*modal);
    Click(modal->findChild<TssSkinButton*>("SBtnClose"));
  });
  EXPECT_TRUE(properties.ShowProperties(Song()));
  EXPECT_EQ(shown, (std::vector<QString>{"N/A", "N/A", "N/A", "44100 Hz", "mono", "mp3"}));
}

}  // namespace
