#include "editor/editor_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "editor/editor_driver.h"
#include "preview/preview_wrapper.h"
#include "tasks/mui_item_info.h"
#include "tests/app/app_test_env.h"
#include "tests/editor_window/recording_edit.h"
#include "tests/fakes/scripted_ff_preview.h"
#include "widgets/ssbutton.h"
#include "widgets/tcroppanelex.h"
#include "widgets/tmarkpanel.h"
#include "widgets/tskinprocess.h"

namespace {

// A 640 x 360 film of 100 seconds, as loaded into the list: whole clip, whole frame, effects unchanged.
MuiItemInfo Film(double duration = 100.0) {
  MuiItemInfo item;
  item.sourcePath = QStringLiteral("/media/film.mp4");
  MediaInfo& media = item.input.media;
  media.duration = duration;
  media.videoCount = 1;
  media.audioCount = 1;
  media.width = 640;
  media.height = 360;
  media.aspectNum = 16;
  media.aspectDen = 9;
  CIInput& input = item.input;
  input.clipLength = duration;
  input.cropWidth = 640;
  input.cropHeight = 360;
  input.zoomMode = 1;
  input.effects.volume = 256;
  return item;
}

MuiItemInfo Song() {
  MuiItemInfo item = Film(200.0);
  MediaInfo& media = item.input.media;
  media.videoCount = 0;
  media.width = 0;
  media.height = 0;
  item.input.cropWidth = 0;
  item.input.cropHeight = 0;
  return item;
}

class EditorWindowTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    // The product's own artwork.
    const QDir skins(QString::fromUtf8(std::getenv("KV_SOURCE_DIR")) + "/data/Skins");
    ASSERT_TRUE(QDir().mkpath(context_.productFolder + "Skins"));
    for (const QString& file : skins.entryList(QDir::Files)) {
      ASSERT_TRUE(QFile::copy(skins.filePath(file), context_.productFolder + "Skins/" + file));
    }
    ASSERT_TRUE(engines_.Registered());
    ASSERT_TRUE(edits_.Registered());
  }

  // A window prepared for `item` and shown (so its preview starts), as the driver shows it.
  std::unique_ptr<TCropForm1> Open(MuiItemInfo& item, int page = 0, int outWidth = 0, int outHeight = 0) {
    request_ = CropRequest{outWidth, outHeight, page, false};
    auto window = std::make_unique<TCropForm1>(Ui(), nullptr);
    EXPECT_TRUE(window->Prepare(item, request_));
    window->show();
    QApplication::processEvents();
    return window;
  }

  ScriptedFfPreview* Engine() const { return engines_.Last(); }

  static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(3, 3)); }

  // The calls since the last look, without the polls.
  std::vector<std::string> Calls() {
    std::vector<std::string> calls;
    for (const std::string& call : Engine()->CallTexts()) {
      if (call != "GetPosition") {
        calls.push_back(call);
      }
    }
    Engine()->ClearCalls();
    return calls;
  }

  // Drags a handle by `dx` pixels with the left button.
  static void DragHandle(QWidget* handle, int dx) {
    const QPoint from(4, 9);
    QTest::mousePress(handle, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(dx, 0)),
                     handle->mapToGlobal(QPointF(from + QPoint(dx, 0))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, from + QPoint(dx, 0));
  }

  ScriptedFfPreviewRegistration engines_;
  RecordingEditRegistration edits_;
  CropRequest request_;
};

TEST_F(EditorWindowTest, AnItemWithoutLengthIsNotEdited) {
  MuiItemInfo item = Film(0.0);
  CropRequest request;
  TCropForm1 window(Ui(), nullptr);
  EXPECT_FALSE(window.Prepare(item, request));
  ConverterCrop driver(Ui(), nullptr);
  EXPECT_FALSE(driver.EditItem(item, request));
  EXPECT_EQ(engines_.Created(), 0);
}

TEST_F(EditorWindowTest, ShowingTheWindowPlaysBothViewsAtOnce) {
  MuiItemInfo item = Film();
  auto window = Open(item, TCropForm1::kCropPage, 1280, 720);
  ASSERT_NE(Engine(), nullptr);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"Open", "Play"}));
  EXPECT_EQ(window->playState(), TCropForm1::PlayState::Playing);
  const PreviewOpen record = Engine()->Record();
  EXPECT_EQ(record.cropView, 1);
  EXPECT_EQ(record.viewToBuffer, 1) << "the result view goes to the watermark box";
  // Both views keep their shape inside their 324 x 222 wells.
  EXPECT_EQ(QSize(record.cropViewWidth, record.cropViewHeight), window->CropPanel1->size());
  EXPECT_EQ(QSize(record.viewWidth, record.viewHeight), window->MarkPanel1->size());
  EXPECT_EQ(window->CropPanel1->width(), 324);
  EXPECT_EQ(window->CropPanel1->height(), 182);
  EXPECT_TRUE(window->CropPanel1->isVisible());
  EXPECT_FALSE(window->ImageView1->isVisible());
  EXPECT_FALSE(window->ImageView2->isVisible());
  // The whole file plays, not only the clip.
  EXPECT_EQ(record.input.clipStart, 0);
  EXPECT_EQ(window->stopAt(), 100.0);
  EXPECT_FALSE(window->ssSBPlaySec->isEnabled()) << "Play trimmed only after Stop";

  Engine()->SendCrop();
  Engine()->SendView();
  QApplication::processEvents();
  EXPECT_TRUE(window->CropPanel1->HasBkBmp());
  EXPECT_TRUE(window->MarkPanel1->HasBkBmp());
}

TEST_F(EditorWindowTest, PageButtonsShowExactlyTheirPage) {
  MuiItemInfo item = Film();
  auto window = Open(item, TCropForm1::kEffectPage);
  QWidget* panels[] = {window->PanelTrim, window->PanelCrop, window->PanelEffect, window->PanelWatermark};
  TssSkinButton* tabs[] = {window->ssSBTrim, window->ssSBCrop, window->ssSBEffect, window->ssSBMark};
  auto shown = [&] {
    std::vector<int> pages;
    for (int page = 0; page < 4; ++page) {
      if (panels[page]->isVisible()) {
        pages.push_back(page);
      }
    }
    return pages;
  };
  EXPECT_EQ(shown(), std::vector<int>{2});
  const QImage shownEffect = tabs[2]->Skin();
  Click(tabs[0]);
  const QImage normal[4] = {QImage(), tabs[1]->Skin(), tabs[2]->Skin(), tabs[3]->Skin()};
  ASSERT_FALSE(normal[1].isNull()) << "the product's artwork is there";
  EXPECT_NE(normal[2], shownEffect) << "the shown page's tab has a picture of its own";
  for (int page : {3, 1, 2}) {
    Click(tabs[page]);
    EXPECT_EQ(shown(), std::vector<int>{page});
    EXPECT_EQ(window->Page(), page);
    for (int other = 1; other < 4; ++other) {
      EXPECT_EQ(tabs[other]->Skin() == normal[other], other != page) << page << " " << other;
    }
  }
}

TEST_F(EditorWindowTest, AnItemWithoutVideoOffersOnlyTrimming) {
  MuiItemInfo item = Song();
  auto window = Open(item, TCropForm1::kCropPage);
  EXPECT_EQ(window->Page(), TCropForm1::kTrimPage);
  EXPECT_TRUE(window->PanelTrim->isVisible());
  for (QWidget* control :
       {static_cast<QWidget*>(window->ssSBCrop), static_cast<QWidget*>(window->ssSBEffect),
        static_cast<QWidget*>(window->ssSBMark), static_cast<QWidget*>(window->ssSBNext)}) {
    EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
  }
  Click(window->ssSBCrop);
  EXPECT_EQ(window->Page(), TCropForm1::kTrimPage);
  EXPECT_EQ(window->playState(), TCropForm1::PlayState::Playing);
  EXPECT_FALSE(window->CropPanel1->isVisible());
  EXPECT_FALSE(window->ssSBNext->isEnabled()) << "no frames to step through, even while playing";
}

TEST_F(EditorWindowTest, TheAudioEditionHasOnlyTheTrimPage) {
  context_.productName = QStringLiteral("Kestrelvine MP3 Converter");
  MuiItemInfo item = Film();
  auto window = Open(item, TCropForm1::kMarkPage);
  EXPECT_EQ(window->Page(), TCropForm1::kTrimPage);
  for (QWidget* hidden : {static_cast<QWidget*>(window->ssSBCrop), static_cast<QWidget*>(window->ssSBEffect),
                          static_cast<QWidget*>(window->ssSBMark), window->PanelCrop, window->PanelEffect,
                          window->PanelWatermark}) {
    EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
  }
  EXPECT_TRUE(window->PanelTrim->isVisible());
  EXPECT_EQ(window->ssSBTrim->pos(), QPoint(16 + 2 * 114, 400))
      << "the trim tab takes the effect tab's place";
  EXPECT_FALSE(window->CropPanel1->isEnabled());
}

TEST_F(EditorWindowTest, TypedTrimTimesFollowTheRulesAndMoveTheHandles) {
  MuiItemInfo item = Film();
  auto window = Open(item);
  const QPoint startHandle = window->ssSBLeft->pos();
  const QPoint endHandle = window->ssSBRight->pos();
  window->edtTrimStart->setText("00:00:20");
  Click(window->ssSBSetTrimStart);
  window->edtTrimEnd->setText("00:01:10");
  Click(window->ssSBSetTrimEnd);
  EXPECT_EQ(item.input.clipStart, 20.0);
  EXPECT_EQ(item.input.clipLength, 50.0);
  EXPECT_EQ(window->edtTrimLength->text(), "00:00:50");
  EXPECT_GT(window->ssSBLeft->x(), startHandle.x());
  EXPECT_LT(window->ssSBRight->x(), endHandle.x());

  // An end before the start changes nothing; a length past the file's end is cut at it.
  window->edtTrimEnd->setText("00:00:10");
  Click(window->ssSBSetTrimEnd);
  EXPECT_EQ(item.input.clipLength, 50.0);
  EXPECT_EQ(window->edtTrimEnd->text(), "00:01:10");
  window->edtTrimLength->setText("00:05:00");
  Click(window->ssSBSetTrimLength);
  EXPECT_EQ(item.input.clipLength, 80.0);

  Click(window->ssSBResetTrim);
  EXPECT_EQ(item.input.clipStart, 0.0);
  EXPECT_EQ(item.input.clipLength, 100.0);
  EXPECT_EQ(window->ssSBLeft->pos(), startHandle);
  EXPECT_EQ(window->ssSBRight->pos(), endHandle);
}

TEST_F(EditorWindowTest, TrimHandlesStopOnePixelBeforeEachOtherAndSeekOnRelease) {
  MuiItemInfo item = Film();
  auto window = Open(item);
  Calls();
  DragHandle(window->ssSBLeft, 2000);
  const int startRight = window->ssSBLeft->x() + window->ssSBLeft->width();
  EXPECT_EQ(startRight, window->ssSBRight->x() - 1);
  EXPECT_GT(item.input.clipStart, 98.0);
  EXPECT_DOUBLE_EQ(item.input.clipStart + item.input.clipLength, 100.0) << "the end stays";
  const std::vector<std::string> afterStart = Calls();
  ASSERT_FALSE(afterStart.empty());
  EXPECT_EQ(afterStart.back(), "Seek " + std::to_string(static_cast<int>(item.input.clipStart)));

  Click(window->ssSBResetTrim);
  DragHandle(window->ssSBRight, -2000);
  EXPECT_EQ(window->ssSBRight->x(), window->ssSBLeft->x() + window->ssSBLeft->width() + 1);
  EXPECT_EQ(item.input.clipStart, 0.0);
  EXPECT_LT(item.input.clipLength, 1.0);
  const std::vector<std::string> afterEnd = Calls();
  ASSERT_FALSE(afterEnd.empty());
  EXPECT_EQ(afterEnd.back(), "Seek 0");
}

TEST_F(EditorWindowTest, MarkButtonsFollowThePositionAndTheClip) {
  MuiItemInfo item = Film();
  item.input.clipStart = 20;
  item.input.clipLength = 30;
  auto window = Open(item);
  struct Case {
    double position;
    bool markStart;
    bool markEnd;
  };
  for (const Case& c : {Case{10, true, false}, Case{20, true, true}, Case{35, true, true},
                        Case{50, true, true}, Case{60, false, true}}) {
    Engine()->script.positions = {{0, c.position}};
    window->Timer1Timer();
    EXPECT_EQ(window->ssSBTrimStart->isEnabled(), c.markStart) << c.position;
    EXPECT_EQ(window->ssSBTrimEnd->isEnabled(), c.markEnd) << c.position;
  }
  EXPECT_EQ(window->lblProg->text(), "00:01:00 / 00:01:40");

  // Marking takes the playing position; the other end stays.
  Engine()->script.positions = {{0, 40.5}};
  Click(window->ssSBTrimEnd);
  EXPECT_DOUBLE_EQ(item.input.clipLength, 20.5);
  Engine()->script.positions = {{0, 25.0}};
  Click(window->ssSBTrimStart);
  EXPECT_DOUBLE_EQ(item.input.clipStart, 25.0);
  EXPECT_DOUBLE_EQ(item.input.clipStart + item.input.clipLength, 40.5);
  // An engine that reports an end ignores the click.
  Engine()->script.positions = {{1, 30.0}};
  Click(window->ssSBTrimStart);
  EXPECT_DOUBLE_EQ(item.input.clipStart, 25.0);

  Click(window->ssSBStop);
  EXPECT_FALSE(window->ssSBTrimStart->isEnabled());
  EXPECT_FALSE(window->ssSBTrimEnd->isEnabled());
}

TEST_F(EditorWindowTest, PlayTrimmedStopsAtTheClipEndAndPlainPlayAtTheFileEnd) {
  MuiItemInfo item = Film();
  item.input.clipStart = 10;
  item.input.clipLength = 20;
  auto window = Open(item);
  Click(window->ssSBPlaySec);
  EXPECT_EQ(window->playState(), TCropForm1::PlayState::Playing) << "Play trimmed does nothing while playing";
  EXPECT_EQ(engines_.Created(), 1);

  Click(window->ssSBStop);
  EXPECT_EQ(window->playState(), TCropForm1::PlayState::Stopped);
  EXPECT_TRUE(window->ssSBPlaySec->isEnabled());
  Click(window->ssSBPlaySec);
  ASSERT_EQ(engines_.Created(), 2);
  EXPECT_EQ(window->stopAt(), 30.0);
  EXPECT_EQ(Engine()->Record().input.clipStart, 10.0) << "only the clip is played";
  Engine()->script.positions = {{0, 29.4}};
  window->Timer1Timer();
  EXPECT_EQ(window->playState(), TCropForm1::PlayState::Playing);
  Engine()->script.positions = {{0, 30.0}};
  window->Timer1Timer();
  EXPECT_EQ(window->playState(), TCropForm1::PlayState::Stopped);
  EXPECT_EQ(Engine()->Count("Close"), 1);

  // Plain Play goes on past the clip to the file's end.
  Click(window->ssSBPlay);
  ASSERT_EQ(engines_.Created(), 3);
  EXPECT_EQ(window->stopAt(), 100.0);
  Engine()->script.positions = {{0, 30.0}};
  window->Timer1Timer();
  EXPECT_EQ(window->playState(), TCropForm1::PlayState::Playing);
  Engine()->script.positions = {{1, 0.0}};
  window->Timer1Timer();
  EXPECT_EQ(window->playState(), TCropForm1::PlayState::Stopped) << "the engine's end stops too";
}

TEST_F(EditorWindowTest, TransportPausesStepsAndSeeks) {
  MuiItemInfo item = Film();
  auto window = Open(item);
  Calls();
  Click(window->ssSBPlay);
  EXPECT_EQ(window->playState(), TCropForm1::PlayState::Paused);
  EXPECT_EQ(window->ssSBPlay->toolTip(), "Play");
  Click(window->ssSBPlay);
  EXPECT_EQ(window->ssSBPlay->toolTip(), "Pause");
  Click(window->ssSBNext);
  EXPECT_EQ(window->playState(), TCropForm1::PlayState::Paused);
  emit window->SkinProcess1->OnProcessChange(50);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"Pause", "Play", "StepFrame", "Seek 50"}));
  EXPECT_EQ(window->lblProg->text(), "00:00:50 / 00:01:40");
}

TEST_F(EditorWindowTest, EveryCropAndEffectChangeSendsCropThenEffects) {
  MuiItemInfo item = Film();
  auto window = Open(item, TCropForm1::kCropPage);
  Calls();
  window->UpDownLeft->setValue(40);
  EXPECT_EQ(item.input.cropX, 40);
  EXPECT_EQ(item.input.cropWidth, 600);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"SetCrop 40 0 600 360 1", "SetEffects"}));
  // The crop box shows the kept rectangle at its own scale (324 / 640).
  EXPECT_EQ(window->CropPanel1->CropLeft(), 20);

  // A margin that leaves less than 15 box pixels (29 source pixels) is refused and put back.
  window->UpDownRight->setValue(600 - 28);
  EXPECT_EQ(window->UpDownRight->value(), 0);
  EXPECT_EQ(item.input.cropWidth, 600);
  EXPECT_TRUE(Calls().empty());

  window->cmbZoom->setCurrentIndex(2);
  emit window->cmbZoom->activated(2);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"SetCrop 40 0 600 360 2", "SetEffects"}));

  Click(window->ssSBResetCrop);
  EXPECT_EQ(window->cmbZoom->currentText(), "Keep Original");
  EXPECT_EQ(window->UpDownLeft->value(), 0);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"SetCrop 0 0 640 360 1", "SetEffects"}));

  Click(window->ssSBEffect);
  emit window->SPBrightness->OnProcessChange(100);
  emit window->SPVolume->OnProcessChange(50);
  EXPECT_EQ(item.input.effects.brightness, 100.0);
  EXPECT_EQ(item.input.effects.volume, 256);
  EXPECT_EQ(Engine()->Effects().brightness, 100.0);
  window->DICheckBox1->click();
  EXPECT_EQ(item.input.effects.deinterlace, 1);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"SetCrop 0 0 640 360 1", "SetEffects", "SetCrop 0 0 640 360 1",
                                               "SetEffects", "SetCrop 0 0 640 360 1", "SetEffects"}));
  // The caption ticks its box.
  QTest::mouseClick(window->lblEffectAll, Qt::LeftButton);
  EXPECT_TRUE(window->EffectAllCheckBox1->isChecked());
  Click(window->ssSBResetEffect);
  EXPECT_FALSE(window->EffectAllCheckBox1->isChecked());
  EXPECT_EQ(item.input.effects.brightness, 0.0);
  EXPECT_EQ(window->SPBrightness->Getprocess(), 50);
  EXPECT_EQ(item.input.effects.deinterlace, 0) << "as the source was probed";
}

TEST_F(EditorWindowTest, DraggingTheCropBoxSetsTheMarginsInSourcePixels) {
  MuiItemInfo item = Film();
  auto window = Open(item, TCropForm1::kCropPage);
  Calls();
  TCropPanelEx* box = window->CropPanel1;
  box->fSetCropLeft(81);
  box->fSetCropWidth(162);
  emit box->OnDragCrop(box);
  EXPECT_EQ(item.input.cropX, 81 * 640 / 324);
  EXPECT_EQ(item.input.cropWidth, 162 * 640 / 324);
  EXPECT_EQ(window->UpDownLeft->value(), 160);
  EXPECT_EQ(window->UpDownRight->value(), 640 - 160 - 320);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"SetCrop 160 0 320 360 1", "SetEffects"}));
}

TEST_F(EditorWindowTest, ATextWatermarkIsRenderedIntoTheEditorsPictureAndSent) {
  MuiItemInfo item = Film();
  auto window = Open(item, TCropForm1::kMarkPage, 1280, 720);
  const QString picture = window->textImagePath();
  ASSERT_FALSE(picture.isEmpty());
  engines_.Last()->script.imageSizes[picture.toStdString()] = {120, 40};
  Calls();
  EXPECT_FALSE(window->rbText->isEnabled()) << "nothing but the box until the watermark is enabled";
  window->EnableWatermark->click();
  EXPECT_TRUE(window->rbText->isEnabled());
  EXPECT_FALSE(window->edtText->isEnabled());
  window->rbText->click();
  EXPECT_TRUE(window->edtText->isEnabled());
  EXPECT_TRUE(window->ssSBFont->isEnabled());
  EXPECT_FALSE(window->ssSBPicture->isEnabled());

  QTest::keyClicks(window->edtText, "Hi");
  ASSERT_EQ(edits_.renders.size(), 2u);
  EXPECT_EQ(edits_.renders.back().text, "Hi");
  EXPECT_EQ(edits_.renders.back().path, picture);
  EXPECT_EQ(edits_.renders.back().colour, 0xFFFFFFu) << "white by default";
  EXPECT_TRUE(QFont().fromString(edits_.renders.back().font));
  EXPECT_EQ(item.watermark.text, u"Hi");
  EXPECT_EQ(item.watermark.textImage, picture.toStdU16String());
  ASSERT_NE(item.input.mark.markFile, nullptr);
  EXPECT_EQ(item.input.mark.markFile, item.watermark.markFile.c_str());
  EXPECT_EQ(item.input.mark.markWidth, 120);
  EXPECT_EQ(Engine()->WatermarkFile(), picture.toStdString());
  EXPECT_TRUE(window->MarkPanel1->EnableMark());
  EXPECT_EQ(window->MarkPanel1->MarkWidth(), 120);

  // Position inside the box, transparency wrapping.
  window->UpDownHori->setValue(30);
  EXPECT_EQ(item.input.mark.markLeft, 30);
  window->UpDownHori->setValue(window->MarkPanel1->width() - 119);
  EXPECT_EQ(item.input.mark.markLeft, 30) << "the mark would leave the box";
  EXPECT_EQ(window->UpDownHori->value(), 30);
  window->UpDownTrans->setValue(-1);
  EXPECT_EQ(item.input.mark.markTransparency, 99);
  EXPECT_EQ(window->UpDownTrans->value(), 99);
  EXPECT_EQ(Engine()->Watermark().markTransparency, 99);

  // A new font and colour render again.
  dialogs_.fontChoices.push_back(ScriptedDialogs::FontAnswer{QFont("DejaVu Serif", 30), QColor(255, 0, 0)});
  Click(window->ssSBFont);
  ASSERT_EQ(edits_.renders.size(), 3u);
  EXPECT_EQ(edits_.renders.back().colour, 0xFF0000u);
  EXPECT_FALSE(item.watermark.font.empty());
}

TEST_F(EditorWindowTest, APictureWhoseSizeCannotBeReadLeavesNoWatermark) {
  MuiItemInfo item = Film();
  auto window = Open(item, TCropForm1::kMarkPage);
  window->EnableWatermark->click();
  window->rbPicture->click();
  dialogs_.fileChoice.push_back(QStringLiteral("/pictures/broken.png"));
  Click(window->ssSBPicture);
  ASSERT_FALSE(dialogs_.fileChoosers.empty());
  EXPECT_EQ(dialogs_.fileChoosers.back().title, "Select Picture File");
  EXPECT_TRUE(dialogs_.fileChoosers.back().filter.startsWith("JPEG Image File(*.jpg;*.jpeg)|*.jpg;*.jpeg|"));
  EXPECT_EQ(item.watermark.picture, u"/pictures/broken.png");
  EXPECT_EQ(window->edtPicture->text(), "/pictures/broken.png");
  EXPECT_EQ(item.input.mark.markFile, nullptr);
  EXPECT_TRUE(item.watermark.enabled);
  EXPECT_TRUE(window->EnableWatermark->isChecked());
  EXPECT_FALSE(window->MarkPanel1->EnableMark());

  // A readable one is used at its own size, clipped to the box.
  Engine()->script.imageSizes["/pictures/logo.png"] = {1000, 20};
  dialogs_.fileChoice.push_back(QStringLiteral("/pictures/logo.png"));
  Click(window->ssSBPicture);
  ASSERT_NE(item.input.mark.markFile, nullptr);
  EXPECT_EQ(item.input.mark.markWidth, window->MarkPanel1->width());
  EXPECT_EQ(item.input.mark.markHeight, 20);

  Click(window->ssSBWMReset);
  EXPECT_EQ(item.input.mark.markFile, nullptr);
  EXPECT_FALSE(item.watermark.enabled);
  EXPECT_TRUE(item.watermark.picture.empty());
  EXPECT_EQ(Engine()->WatermarkFile(), "") << "the preview drops the mark";
  EXPECT_FALSE(window->EnableWatermark->isChecked());
}

TEST_F(EditorWindowTest, CancelPutsTheWholeItemBackTextsIncluded) {
  MuiItemInfo item = Film();
  item.watermark.enabled = true;
  item.watermark.type = 1;
  item.watermark.text = u"old";
  item.watermark.textImage = u"/tmp/old.bmp";
  item.watermark.markFile = "/tmp/old.bmp";
  item.watermark.refWidth = 1280;
  item.watermark.refHeight = 720;
  item.input.mark.markFile = item.watermark.markFile.c_str();
  item.input.mark.markLeft = 100;
  item.input.mark.markWidth = 200;
  item.input.mark.markHeight = 50;
  item.input.clipStart = 5;
  item.input.clipLength = 50;
  engines_.script.imageSizes["/tmp/old.bmp"] = {200, 50};
  const MuiItemInfo before = item;
  auto window = Open(item, TCropForm1::kMarkPage);
  edits_.result = false;  // the new text cannot be drawn: the old picture stays
  QTest::keyClicks(window->edtText, "new");
  window->UpDownLeft->setValue(100);
  emit window->SPContrast->OnProcessChange(80);
  Click(window->ssSBResetTrim);
  EXPECT_EQ(item.watermark.text, u"oldnew");
  EXPECT_EQ(item.watermark.textImage, u"/tmp/old.bmp");
  Click(window->ssSBCancel);
  EXPECT_EQ(window->result(), QDialog::Rejected);
  EXPECT_EQ(item.input.clipStart, 5.0);
  EXPECT_EQ(item.input.clipLength, 50.0);
  EXPECT_EQ(item.input.cropX, 0);
  EXPECT_EQ(item.input.effects.contrast, 0.0);
  EXPECT_EQ(item.watermark.text, u"old");
  EXPECT_EQ(item.watermark.refWidth, 1280) << "the rectangle is measured in the frame it was";
  EXPECT_EQ(item.input.mark.markLeft, 100);
  EXPECT_EQ(item.input.mark.markFile, item.watermark.markFile.c_str()) << "the item's own text";
  EXPECT_EQ(std::memcmp(&item.input, &before.input, offsetof(CIInput, mark)), 0);
  EXPECT_EQ(Engine()->Count("Close"), 1) << "the preview ends with the window";
}

TEST_F(EditorWindowTest, OkKeepsTheChangesWithTheTwoSecondMinimumAndTheApplyToAllChoice) {
  MuiItemInfo item = Film();
  auto window = Open(item, TCropForm1::kTrimPage);
  window->edtTrimStart->setText("00:01:39");
  Click(window->ssSBSetTrimStart);
  EXPECT_EQ(item.input.clipLength, 1.0);
  Click(window->ssSBEffect);
  window->EffectAllCheckBox1->click();
  Click(window->ssSBOk);
  EXPECT_EQ(window->result(), QDialog::Accepted);
  EXPECT_EQ(item.input.clipStart, 98.0) << "moved back so that the clip ends at the file's end";
  EXPECT_EQ(item.input.clipLength, 2.0);
  EXPECT_TRUE(request_.applyToAll);
}

TEST_F(EditorWindowTest, ResetPutsEveryPageBack) {
  MuiItemInfo item = Film();
  item.input.media.interlaced = 1;
  auto window = Open(item, TCropForm1::kCropPage);
  window->UpDownTop->setValue(20);
  emit window->SPSaturation->OnProcessChange(10);
  window->edtTrimStart->setText("00:00:30");
  Click(window->ssSBSetTrimStart);
  window->EnableWatermark->click();
  Click(window->ssSBReset);
  EXPECT_EQ(item.input.cropY, 0);
  EXPECT_EQ(item.input.cropHeight, 360);
  EXPECT_EQ(item.input.effects.saturation, 0.0);
  EXPECT_EQ(item.input.effects.deinterlace, 1);
  EXPECT_TRUE(window->DICheckBox1->isChecked());
  EXPECT_EQ(item.input.clipStart, 0.0);
  EXPECT_FALSE(item.watermark.enabled);
}

TEST_F(EditorWindowTest, HelpOpensTheProductsHelpFile) {
  MuiItemInfo item = Film();
  auto window = Open(item);
  Click(window->ssSBHelp);
  ASSERT_EQ(shell_.opened.size(), 1u);
  EXPECT_TRUE(shell_.opened[0].endsWith("help.html"));
}

TEST_F(EditorWindowTest, APreviewThatCannotOpenLeavesEditingWorking) {
  engines_.script.openResult = false;
  MuiItemInfo item = Film();
  auto window = Open(item, TCropForm1::kCropPage);
  EXPECT_EQ(window->playState(), TCropForm1::PlayState::Stopped);
  EXPECT_FALSE(window->CropPanel1->isVisible());
  EXPECT_TRUE(window->ImageView2->isVisible());
  window->UpDownLeft->setValue(64);
  EXPECT_EQ(item.input.cropX, 64);
}

TEST_F(EditorWindowTest, TheDriverAnswersTrueOnlyForOk) {
  MuiItemInfo item = Film();
  ConverterCrop driver(Ui(), nullptr);
  for (const char* button : {"ssSBOk", "ssSBCancel", "ssSBClose"}) {
    CropRequest request;
    QTimer::singleShot(0, [button] {
      QWidget* window = QApplication::activeModalWidget();
      ASSERT_NE(window, nullptr);
      QTest::mouseClick(window->findChild<QWidget*>(button), Qt::LeftButton, {}, QPoint(3, 3));
    });
    EXPECT_EQ(driver.EditItem(item, request), button == std::string("ssSBOk")) << button;
  }
}

}  // namespace
