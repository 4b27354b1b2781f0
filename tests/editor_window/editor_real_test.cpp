// The clip editor end to end with the program's own modules: a generated clip is trimmed, cropped,
// brightened and given a text watermark through the editor's controls, converted with a shipped
// profile of a fixed frame size, and the output file is decoded to see every edit in its pictures.
#include <QApplication>
#include <QCheckBox>
#include <QDirIterator>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "components/i_ff_converter.h"
#include "editor/editor_window.h"
#include "tests/convert_engine/media_maker.h"
#include "tests/mainwin/main_window_test_support.h"
#include "widgets/ssbutton.h"
#include "widgets/tmarkpanel.h"
#include "widgets/tskinprocess.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

using namespace mainwin_test;

constexpr int kFps = 25;
constexpr int kOutWidth = 320;  // the profile's fixed frame
constexpr int kOutHeight = 240;
constexpr char kProfileGroup[] = "Phones & Tablets";
constexpr char kProfile[] = "Portable Player (MP4 H.264 Baseline 320*240)";

// What the decoder saw of an output file.
struct Decoded {
  bool opened = false;
  double containerSeconds = 0;
  double videoSeconds = 0;  // from the first frame's start to the last frame's end
  int frames = 0;
  QImage first;
  QImage middle;  // the first frame at or after the middle of the picture track
};

QImage ToRgb(const AVFrame* frame) {
  QImage image(frame->width, frame->height, QImage::Format_RGB888);
  SwsContext* scaler =
      sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), frame->width,
                     frame->height, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (scaler == nullptr) {
    return {};
  }
  uint8_t* planes[1] = {image.bits()};
  const int strides[1] = {static_cast<int>(image.bytesPerLine())};
  sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
  sws_freeContext(scaler);
  return image;
}

Decoded DecodeOutput(const QString& path, double middleSeconds) {
  Decoded decoded;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr) != 0) {
    return decoded;
  }
  const int stream = avformat_find_stream_info(format, nullptr) >= 0
                         ? av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0)
                         : -1;
  const AVCodec* codec =
      stream >= 0 ? avcodec_find_decoder(format->streams[stream]->codecpar->codec_id) : nullptr;
  AVCodecContext* context = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
  if (context != nullptr && avcodec_parameters_to_context(context, format->streams[stream]->codecpar) >= 0 &&
      avcodec_open2(context, codec, nullptr) >= 0) {
    decoded.opened = true;
    decoded.containerSeconds = static_cast<double>(format->duration) / AV_TIME_BASE;
    const double timeBase = av_q2d(format->streams[stream]->time_base);
    int64_t firstPts = AV_NOPTS_VALUE;
    int64_t endPts = AV_NOPTS_VALUE;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const auto drain = [&] {
      while (avcodec_receive_frame(context, frame) >= 0) {
        const int64_t pts = frame->best_effort_timestamp;
        if (decoded.frames == 0) {
          firstPts = pts;
          decoded.first = ToRgb(frame);
        }
        ++decoded.frames;
        // Every output frame lasts one frame of the source's rate.
        const auto length = static_cast<int64_t>(std::llround(1.0 / kFps / timeBase));
        endPts = std::max(endPts == AV_NOPTS_VALUE ? pts + length : endPts, pts + length);
        if (decoded.middle.isNull() && (pts - firstPts) * timeBase >= middleSeconds - 1e-6) {
          decoded.middle = ToRgb(frame);
        }
      }
    };
    while (av_read_frame(format, packet) >= 0) {
      if (packet->stream_index == stream && avcodec_send_packet(context, packet) >= 0) {
        drain();
      }
      av_packet_unref(packet);
    }
    avcodec_send_packet(context, nullptr);
    drain();
    if (firstPts != AV_NOPTS_VALUE) {
      decoded.videoSeconds = (endPts - firstPts) * timeBase;
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
  }
  avcodec_free_context(&context);
  avformat_close_input(&format);
  return decoded;
}

// The average colour of a rectangle; codec noise averages out over a block where single pixels vary.
struct Average {
  double r = 0;
  double g = 0;
  double b = 0;
  double Luma() const { return 0.299 * r + 0.587 * g + 0.114 * b; }
};

Average AverageOf(const QImage& image, const QRect& area) {
  Average sum;
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      sum.r += qRed(pixel);
      sum.g += qGreen(pixel);
      sum.b += qBlue(pixel);
    }
  }
  const double count = std::max<qsizetype>(1, qsizetype{inside.width()} * inside.height());
  return {sum.r / count, sum.g / count, sum.b / count};
}

// The share of a rectangle's pixels that are near white in every channel.
double WhiteShare(const QImage& image, const QRect& area) {
  const QRect inside = area.intersected(image.rect());
  int white = 0;
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      white += std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) > 200 ? 1 : 0;
    }
  }
  return inside.isEmpty() ? 0 : static_cast<double>(white) / (qsizetype{inside.width()} * inside.height());
}

// The bounding rectangle of a rectangle's near-white pixels; empty for none.
QRect WhiteBounds(const QImage& image, const QRect& area) {
  QRect bounds;
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      if (std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) > 200) {
        bounds |= QRect(x, y, 1, 1);
      }
    }
  }
  return bounds;
}

// Reads the high half of the source's frame counter, the cells the crop keeps: cell i (4..7) stands at
// source columns i * 40 .. (i + 1) * 40 of the 320-wide clip, which the crop of the left half and the
// unscaled, centred placement move to output columns 80 + (i - 4) * 40.
int HighCounterBits(const QImage& image) {
  int value = 0;
  for (int cell = 4; cell < media_maker::kCounterCells; ++cell) {
    const QRect area(80 + (cell - 4) * 40 + 10, 210, 20, 20);
    if (AverageOf(image, area).Luma() > 160) {
      value |= 1 << (cell - 4);
    }
  }
  return value;
}

QString ToText(const Average& a) {
  return QStringLiteral("(%1, %2, %3)").arg(a.r, 0, 'f', 1).arg(a.g, 0, 'f', 1).arg(a.b, 0, 'f', 1);
}

class EditorRealTest : public MainWindowTest {
 protected:
  bool UsesFakeEngine() const override { return false; }

  void SetUp() override {
    MainWindowTest::SetUp();
    for (const auto& [file, component] :
         {std::pair{"libffengine.so", kFfPreviewName}, std::pair{"libimageedit.so", kEditName}}) {
      if (FindPlugEntry(OpenPlugTable(), component) == nullptr) {
        const std::string path = std::string(std::getenv("KV_BIN_DIR")) + "/plugins/" + file;
        ASSERT_NE(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
      }
    }
    ASSERT_NE(FindPlugEntry(OpenPlugTable(), kFfConverterName), nullptr);
    // The catalogue the product ships, for a profile whose frame size is fixed.
    const QString shipped = QString::fromUtf8(std::getenv("KV_SOURCE_DIR")) + "/data/Profile/";
    for (const char* file : {"ProfileGroup.xml", "Profile.xml"}) {
      QFile::remove(ProductFolder() + "Profile/" + file);
      ASSERT_TRUE(QFile::copy(shipped + file, ProductFolder() + "Profile/" + file)) << file;
    }
  }

  static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(3, 3)); }

  // Runs `work` on the clip editor as soon as it is the modal window; the editor starts its engine
  // while it opens, so it is looked for until it is there.
  static void WhenEditorShows(std::function<void(TCropForm1&)> work) {
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, work = std::move(work)] {
      auto* editor = qobject_cast<TCropForm1*>(QApplication::activeModalWidget());
      if (editor == nullptr && ++*tries < 250) {
        return;
      }
      poll->stop();
      poll->deleteLater();
      if (editor != nullptr) {
        work(*editor);
      }
    });
    poll->start();
  }

  // Waits with the window's message loop running until `done` holds; false after `timeout`.
  static bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) {
        return false;
      }
      Idle(20);
    }
    return true;
  }
};

TEST_F(EditorRealTest, TrimCropBrightnessAndTextMarkReachTheConvertedFile) {
  media_maker::ClipPlan plan;
  plan.width = 320;
  plan.height = 240;
  plan.fps = kFps;
  plan.seconds = 8.0;
  plan.frameCounter = true;
  const QString clip = media_.path() + "/clip.mkv";
  std::string error;
  ASSERT_TRUE(media_maker::MakeClip(clip.toStdString(), plan, &error)) << error;
  const QString outFolder = media_.path() + "/out";
  ASSERT_TRUE(QDir().mkpath(outFolder));

  WatermarkBlock mark{};
  QSize markRef;
  bool edited = false;
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    Choose(form.CmbProfileGrp, QString::fromUtf8(kProfileGroup));
    Choose(form.CmbProfile, QString::fromUtf8(kProfile));
    dialogs_.folders.push_back(outFolder);
    form.SBtnBrowseClick();
    ASSERT_EQ(form.EditOutPath->text(), outFolder);
    AddThroughDialog(form, {clip});
    ASSERT_EQ(Tree(form).TopLevelCount(), 1);
    FocusOnly(form, {TopLevel(form)[0]});
    form.UpdateActions();
    MuiItemInfo* item = form.TaskList().FocusedItem();
    ASSERT_NE(item, nullptr);
    ASSERT_NEAR(item->input.media.duration, 8.0, 0.1);

    WhenEditorShows([&](TCropForm1& editor) {
      editor.edtTrimStart->setText(QStringLiteral("00:00:02"));
      Click(editor.ssSBSetTrimStart);
      editor.edtTrimEnd->setText(QStringLiteral("00:00:06"));
      Click(editor.ssSBSetTrimEnd);

      // Half the width off the left: the red and the blue quadrant go.
      Click(editor.ssSBCrop);
      editor.UpDownLeft->setValue(plan.width / 2);

      Click(editor.ssSBEffect);
      emit editor.SPBrightness->OnProcessChange(75);

      Click(editor.ssSBMark);
      editor.EnableWatermark->click();
      editor.rbText->click();
      QTest::keyClicks(editor.edtText, "KV");
      // Over the right of the green quadrant, at about (180, 60) of the output frame, measured in the
      // editor's box: far enough from its corner that a mark left unscaled would stand well apart.
      const int boxWidth = editor.MarkPanel1->width();
      const int boxHeight = editor.MarkPanel1->height();
      editor.UpDownHori->setValue(180 * boxWidth / kOutWidth);
      editor.UpDownVert->setValue(60 * boxHeight / kOutHeight);
      edited = true;
      Click(editor.ssSBOk);
    });
    form.actions.Trim->trigger();
    ASSERT_TRUE(edited) << "the editor was driven";

    EXPECT_DOUBLE_EQ(item->input.clipStart, 2.0);
    EXPECT_DOUBLE_EQ(item->input.clipLength, 4.0);
    EXPECT_EQ(item->input.cropX, 160);
    EXPECT_EQ(item->input.cropWidth, 160);
    EXPECT_EQ(item->input.cropY, 0);
    EXPECT_EQ(item->input.cropHeight, 240);
    EXPECT_DOUBLE_EQ(item->input.effects.brightness, 50.0);
    EXPECT_TRUE(item->watermark.enabled);
    EXPECT_EQ(item->watermark.type, 1);
    EXPECT_EQ(item->watermark.text, u"KV");
    ASSERT_NE(item->input.mark.markFile, nullptr) << "the rendered text is the mark";
    EXPECT_TRUE(QFileInfo::exists(QString::fromUtf8(item->input.mark.markFile)));
    mark = item->input.mark;
    markRef = QSize(item->watermark.refWidth, item->watermark.refHeight);
    ASSERT_GT(mark.markWidth, 0);
    ASSERT_GT(mark.markHeight, 0);
    ASSERT_GT(markRef.width(), 0);
    ASSERT_GT(markRef.height(), 0);

    form.UpdateActions();
    ASSERT_TRUE(form.actions.StartConvertAct->isEnabled());
    form.actions.StartConvertAct->trigger();
    const QString summary = QStringLiteral("Converting 1 Files Done.\n\nSuccess 1\nFailed 0");
    EXPECT_TRUE(WaitUntil(
        [&] {
          return std::any_of(dialogs_.shown.begin(), dialogs_.shown.end(),
                             [&](const ScriptedDialogs::Shown& shown) { return shown.text == summary; });
        },
        std::chrono::seconds(30)))
        << (dialogs_.shown.empty() ? std::string("no message") : dialogs_.shown.back().text.toStdString());
  }));

  QStringList outputs;
  for (QDirIterator it(outFolder, {"*.mp4"}, QDir::Files); it.hasNext();) {
    outputs << it.next();
  }
  ASSERT_EQ(outputs.size(), 1) << outputs.join(", ").toStdString();
  const Decoded out = DecodeOutput(outputs[0], 2.0);
  ASSERT_TRUE(out.opened) << outputs[0].toStdString();
  ASSERT_FALSE(out.first.isNull());
  ASSERT_FALSE(out.middle.isNull());
  ASSERT_EQ(out.middle.size(), QSize(kOutWidth, kOutHeight));

  // The trim: four seconds, starting at the source's frame 50.
  const double frame = 1.0 / kFps;
  EXPECT_NEAR(out.videoSeconds, 4.0, frame);
  EXPECT_NEAR(out.containerSeconds, 4.0, frame);
  EXPECT_NEAR(out.frames, 4 * kFps, 1);
  EXPECT_EQ(HighCounterBits(out.first), 50 >> 4) << "the first frame is the source's frame 50";
  EXPECT_EQ(HighCounterBits(out.middle), 100 >> 4) << "two seconds in is the source's frame 100";

  // The crop: no block of the frame is the red or the blue of the left half; the kept half stands
  // unscaled in the middle, black beside it.
  const QImage& picture = out.middle;
  int redBlocks = 0;
  int blueBlocks = 0;
  std::string firstFound;
  for (int y = 0; y + 8 <= kOutHeight; y += 8) {
    for (int x = 0; x + 8 <= kOutWidth; x += 8) {
      const Average a = AverageOf(picture, QRect(x, y, 8, 8));
      const bool red = a.r > a.g + 60 && a.r > a.b + 60;
      const bool blue = a.b > a.r + 60 && a.b > a.g + 60;
      redBlocks += red ? 1 : 0;
      blueBlocks += blue ? 1 : 0;
      if ((red || blue) && firstFound.empty()) {
        firstFound = std::to_string(x) + "," + std::to_string(y) + " " + ToText(a).toStdString();
      }
    }
  }
  EXPECT_EQ(redBlocks, 0) << "first at " << firstFound;
  EXPECT_EQ(blueBlocks, 0) << "first at " << firstFound;
  const Average leftPad = AverageOf(picture, QRect(8, 60, 60, 120));
  const Average rightPad = AverageOf(picture, QRect(252, 60, 60, 120));
  EXPECT_LT(leftPad.Luma(), 30) << ToText(leftPad).toStdString();
  EXPECT_LT(rightPad.Luma(), 30) << ToText(rightPad).toStdString();

  // The brightness: the kept quadrants are their colours, clearly brighter than in the source.
  const Average green = AverageOf(picture, QRect(90, 10, 60, 30));
  const Average yellow = AverageOf(picture, QRect(100, 140, 120, 40));
  const media_maker::Rgb sourceGreen = plan.quadrants[1];
  const double sourceGreenLuma = 0.299 * sourceGreen.r + 0.587 * sourceGreen.g + 0.114 * sourceGreen.b;
  EXPECT_GT(green.g, green.r + 60) << ToText(green).toStdString();
  EXPECT_GT(green.g, green.b + 60) << ToText(green).toStdString();
  EXPECT_GT(green.Luma(), sourceGreenLuma + 35) << ToText(green).toStdString();
  EXPECT_GT(green.r, sourceGreen.r + 35) << "the dark channels rise too: " << ToText(green).toStdString();
  EXPECT_GT(yellow.b, plan.quadrants[2].b + 35) << ToText(yellow).toStdString();
  EXPECT_GT(std::min(yellow.r, yellow.g), yellow.b + 60) << ToText(yellow).toStdString();

  // The watermark: measured in the editor's box, it lands rescaled to the output frame. Its rectangle
  // holds white text pixels, the same area of green to its left holds none, and no white pixel of the
  // green quadrant stands outside it.
  const double sx = static_cast<double>(markRef.width()) / kOutWidth;
  const double sy = static_cast<double>(markRef.height()) / kOutHeight;
  const QRect markArea(static_cast<int>(mark.markLeft / sx), static_cast<int>(mark.markTop / sy),
                       static_cast<int>(mark.markWidth / sx), static_cast<int>(mark.markHeight / sy));
  const QRect greenQuadrant(80, 0, 160, 120);
  const QRect elsewhere = markArea.translated(greenQuadrant.left() + 4 - markArea.left(), 0);
  ASSERT_TRUE(greenQuadrant.contains(markArea) && !elsewhere.intersects(markArea) &&
              !elsewhere.intersects(QRect(90, 10, 60, 30)))
      << "the mark stands over the green quadrant: " << markArea.x() << "," << markArea.y() << " "
      << markArea.width() << "x" << markArea.height();
  const double markWhite = WhiteShare(picture, markArea);
  const double elsewhereWhite = WhiteShare(picture, elsewhere);
  const Average markAverage = AverageOf(picture, markArea);
  const Average elsewhereAverage = AverageOf(picture, elsewhere);
  EXPECT_GT(markWhite, 0.08) << "white share in the mark " << markWhite;
  EXPECT_LT(elsewhereWhite, 0.01) << "white share beside it " << elsewhereWhite;
  EXPECT_GT(std::min(markAverage.r, markAverage.b), std::min(elsewhereAverage.r, elsewhereAverage.b) + 15)
      << ToText(markAverage).toStdString() << " against " << ToText(elsewhereAverage).toStdString();
  const QRect text = WhiteBounds(picture, greenQuadrant);
  EXPECT_TRUE(markArea.adjusted(-1, -1, 1, 1).contains(text))
      << "white text at " << text.x() << "," << text.y() << " " << text.width() << "x" << text.height();
  EXPECT_GT(text.width(), markArea.width() / 3);

  // What was measured, for whoever reads the log of a run.
  std::printf("output %s: video %.3f s, container %.3f s, %d frames\n", outputs[0].toUtf8().constData(),
              out.videoSeconds, out.containerSeconds, out.frames);
  std::printf("green %s, yellow %s, left pad %s, right pad %s\n", ToText(green).toUtf8().constData(),
              ToText(yellow).toUtf8().constData(), ToText(leftPad).toUtf8().constData(),
              ToText(rightPad).toUtf8().constData());
  std::printf(
      "mark box %dx%d, mark %d,%d %dx%d -> output %d,%d %dx%d: white %.3f (elsewhere %.3f), %s vs %s, text "
      "%d,%d %dx%d\n",
      markRef.width(), markRef.height(), mark.markLeft, mark.markTop, mark.markWidth, mark.markHeight,
      markArea.x(), markArea.y(), markArea.width(), markArea.height(), markWhite, elsewhereWhite,
      ToText(markAverage).toUtf8().constData(), ToText(elsewhereAverage).toUtf8().constData(), text.x(),
      text.y(), text.width(), text.height());
}

}  // namespace
