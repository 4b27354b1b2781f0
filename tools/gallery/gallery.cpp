// Shows every skinned widget drawn from the product's artwork, the way the windows use them, so the
// look can be judged. --screenshot <file.png> saves a picture of the whole gallery and quits (works
// with the offscreen platform); --skins <folder> reads the artwork from another folder.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEnterEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdio>
#include <string>

#include "tools/gallery/sample_frame.h"
#include "widgets/skin_catalog.h"
#include "widgets/skin_style.h"
#include "widgets/ssbutton.h"
#include "widgets/ssform.h"
#include "widgets/ssnumber.h"
#include "widgets/tcroppanelex.h"
#include "widgets/tmarkpanel.h"
#include "widgets/tskinprocess.h"

namespace {

QString g_skins;

QString SkinPath(const char* file) {
  return g_skins + QLatin1Char('/') + QString::fromUtf8(file);
}

QImage Skin(const char* file) {
  return QImage(SkinPath(file));
}

enum class Show { Normal, Hover, Pressed, Disabled };

TssSkinButton* Button(QWidget* parent, const char* file, int x, int y, Show show = Show::Normal,
                      bool mask = false) {
  auto* button = new TssSkinButton(parent);
  const skin::SkinPicture* entry = skin::FindSkinPicture(file);
  button->SetDivNum(entry != nullptr ? entry->frames : skin::kButtonFrames);
  button->SetSkin(Skin(file));
  button->SetMask(mask);
  button->move(x, y);
  // The states are reached through real events, as a pointer would.
  if (show == Show::Hover || show == Show::Pressed) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(button, &enter);
  }
  if (show == Show::Pressed) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(button, &press);
  }
  if (show == Show::Disabled) {
    button->setEnabled(false);
  }
  return button;
}

QLabel* Label(QWidget* parent, const QString& text, int x, int y, int size = 12,
              QColor colour = QColor(236, 239, 244), bool bold = false) {
  auto* label = new QLabel(text, parent);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(size);
  font.setBold(bold);
  label->setFont(font);
  label->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(colour.name()));
  label->adjustSize();
  label->move(x, y);
  return label;
}

QLabel* Picture(QWidget* parent, const QImage& image, int x, int y, int w = -1, int h = -1) {
  auto* label = new QLabel(parent);
  QImage shown = image;
  if (w > 0 && (image.width() != w || image.height() != h)) {
    shown = image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  label->setPixmap(QPixmap::fromImage(shown));
  label->setGeometry(x, y, shown.width(), shown.height());
  return label;
}

QComboBox* Combo(QWidget* parent, QStringList items, int x, int y, int w) {
  auto* combo = new QComboBox(parent);
  combo->addItems(items);
  combo->setGeometry(x, y, w, 24);
  return combo;
}

// A plain panel in the colour the pictures on it are matted onto.
QWidget* Panel(QWidget* parent, QRect geometry, QColor colour, int radius = 10) {
  auto* panel = new QWidget(parent);
  panel->setObjectName(QStringLiteral("panel"));
  panel->setAttribute(Qt::WA_StyledBackground);
  panel->setGeometry(geometry);
  panel->setStyleSheet(QStringLiteral("QWidget#panel { background: %1; border-radius: %2px; }")
                           .arg(colour.name())
                           .arg(radius));
  return panel;
}

QWidget* SkinnedWindow(QWidget* parent, const char* picture, int x, int y) {
  auto* window = new QWidget(parent);
  window->move(x, y);
  auto* form = new TssSkinForm(window);
  form->SetPicture(Skin(picture));
  return window;
}

TSkinProcess* Slider(QWidget* parent, QRect geometry, const char* track, const char* fill, const char* thumb,
                     int baseLine) {
  auto* slider = new TSkinProcess(parent);
  slider->setGeometry(geometry);
  slider->SetPicture(Skin(track));
  slider->SetImage2(SkinPath(fill));
  if (thumb != nullptr) {
    slider->SetImage3(SkinPath(thumb));
  }
  slider->SetBaseLine(baseLine);
  return slider;
}

void About(QWidget* canvas, int x, int y) {
  QWidget* about = SkinnedWindow(canvas, "about.bmp", x, y);
  const QColor dim(160, 168, 184);
  Label(about, QStringLiteral("About"), 38, 8, 12, QColor(236, 239, 244), true);
  Button(about, "tb_close.png", 412, 7);
  Label(about, QStringLiteral("Version"), 24, 146, 12, dim);
  Label(about, QStringLiteral("1.0.0"), 110, 146);
  Label(about, QStringLiteral("Support:"), 24, 168, 12, dim);
  Label(about, QStringLiteral("https://kestrelvine.example/support"), 110, 168, 12, QColor(255, 172, 96));
  Label(about, QStringLiteral("Home Page:"), 24, 190, 12, dim);
  Label(about, QStringLiteral("https://kestrelvine.example"), 110, 190, 12, QColor(255, 172, 96));
  Label(about, QStringLiteral("Copyright (C) Tolvermax Studio. All rights reserved."), 24, 218, 11,
        QColor(96, 104, 120));
  Button(about, "btn_ok.png", 340, 260);
}

void Splash(QWidget* canvas, int x, int y) {
  QWidget* splash = SkinnedWindow(canvas, "splash.bmp", x, y);
  Label(splash, QStringLiteral("Version"), 40, 214, 12, QColor(160, 168, 184));
  Label(splash, QStringLiteral("1.0.0"), 96, 214);
  Label(splash, QStringLiteral("Copyright (C) Tolvermax Studio. All rights reserved."), 40, 240, 11,
        QColor(96, 104, 120));
}

void SaveAs(QWidget* canvas, int x, int y) {
  QWidget* dialog = SkinnedWindow(canvas, "form_saveas.png", x, y);
  dialog->setStyleSheet(SkinStyleSheet(g_skins));
  Label(dialog, QStringLiteral("Save as ..."), 38, 8, 12, QColor(236, 239, 244), true);
  Button(dialog, "tb_close.png", 332, 7);
  Label(dialog, QStringLiteral("The new profile's name:"), 20, 48);
  auto* name = new QLineEdit(QStringLiteral("MP4 - H.264 Video (my phone)"), dialog);
  name->setGeometry(20, 70, 320, 26);
  Button(dialog, "btn_ok.png", 164, 130, Show::Hover);
  Button(dialog, "btn_cancel.png", 256, 130);
}

void MainWindow(QWidget* canvas, int x, int y) {
  QWidget* main = SkinnedWindow(canvas, "form_main.png", x, y);
  main->setStyleSheet(SkinStyleSheet(g_skins));

  Label(main, QStringLiteral("Kestrelvine Converter"), 309, 5, 15, QColor(132, 135, 148), true);
  Button(main, "tb_min.png", 765, 11);
  Button(main, "tb_close.png", 791, 11, Show::Hover);

  auto* menu = new QToolBar(main);
  menu->setStyleSheet(MenuStripStyleSheet());
  menu->setGeometry(216, 30, 270, 22);
  menu->setMovable(false);
  for (const char* caption : {"File", "Edit", "Clip", "Option", "Help"}) {
    auto* item = new QToolButton(menu);
    item->setText(QStringLiteral("   %1   ").arg(QLatin1String(caption)));
    item->setFixedHeight(22);
    item->setPopupMode(QToolButton::InstantPopup);
    menu->addWidget(item);
  }

  const char* tools[] = {"tool_add_files.png", "tool_download.png", "tool_effect.png",
                         "tool_trim.png",      "tool_crop.png",     "tool_preferences.png"};
  for (int i = 0; i < 6; ++i) {
    Button(main, tools[i], 148 + 107 * i, 63, i == 0 ? Show::Hover : Show::Normal, true);
  }

  Picture(main, SampleFrame(264, 198), 40, 128);
  Picture(main, Skin("face.bmp"), 320, 128);

  TSkinProcess* position = Slider(main, QRect(40, 338, 263, 10), "track.png", "progress.bmp", "slide.bmp", 6);
  position->SetExtRange(1, position->width() - 2);
  position->SetImage2Range(1, position->width() - 2);
  // An item whose clip runs from 20 % to 85 % of the file, played up to 42 %.
  position->SetImage2Range(int(261 * 0.20 + 1), int(261 * 0.65));
  position->Setprocess(42);

  const char* transport[] = {"ctl_pause.png", "ctl_stop.png", "ctl_back.png", "ctl_forward.png"};
  for (int i = 0; i < 4; ++i) {
    Button(main, transport[i], 42 + 40 * i, 363, i == 2 ? Show::Disabled : Show::Normal);
  }
  Button(main, "ctl_snap.png", 216, 363);
  Button(main, "ctl_open_snap.png", 262, 363);

  const char* list[] = {"list_merge.png", "list_rename.png", "list_remove.png", "list_clear_all.png",
                        "list_properties.png"};
  for (int i = 0; i < 5; ++i) {
    Button(main, list[i], 325 + 97 * i, 377, i == 0 ? Show::Disabled : Show::Normal);
  }

  Label(main, QStringLiteral("Audio Track"), 39, 456);
  Combo(main, {QStringLiteral("0x80 ac3 stereo eng")}, 111, 451, 158);
  Label(main, QStringLiteral("Subtitle"), 282, 456);
  Combo(main, {QStringLiteral("No Subtitle")}, 348, 451, 145);
  Label(main, QStringLiteral("Profile"), 39, 487);
  Combo(main, {QStringLiteral("General Video")}, 111, 482, 114);
  Combo(main, {QStringLiteral("MP4 - H.264 Video (*.mp4)")}, 230, 482, 202);
  Label(main, QStringLiteral("Destination"), 39, 517);
  auto* destination = new QLineEdit(QStringLiteral("/home/robin/Documents/Tolvermax Studio/Output"), main);
  destination->setReadOnly(true);
  destination->setGeometry(111, 512, 322, 24);
  Button(main, "btn_settings.png", 436, 480);
  Button(main, "btn_apply_all.png", 528, 480);
  Button(main, "btn_browse.png", 436, 510);
  Button(main, "btn_open_folder.png", 528, 510);
  Button(main, "btn_start.png", 654, 475);
}

// One row per button strip: normal, mouse over, pressed, disabled, on the colour it is made for.
void ButtonStates(QWidget* canvas, int x, int y) {
  const struct {
    const char* file;
    QColor under;
  } rows[] = {
      {"tool_add_files.png", QColor(28, 33, 43)}, {"tool_preferences.png", QColor(28, 33, 43)},
      {"ctl_play.png", QColor(36, 42, 55)},       {"ctl_snap.png", QColor(36, 42, 55)},
      {"list_clear_all.png", QColor(36, 42, 55)}, {"btn_apply_all.png", QColor(36, 42, 55)},
      {"btn_ok.png", QColor(36, 42, 55)},         {"btn_cancel.png", QColor(36, 42, 55)},
      {"btn_pick.png", QColor(36, 42, 55)},       {"btn_set.png", QColor(36, 42, 55)},
      {"tab_trim.png", QColor(28, 33, 43)},       {"tab_trim_on.png", QColor(28, 33, 43)},
      {"tb_close.png", QColor(21, 25, 34)},       {"tb_help.png", QColor(21, 25, 34)},
      {"handle_start.png", QColor(36, 42, 55)},   {"btn_start.png", QColor(36, 42, 55)},
  };
  Label(canvas, QStringLiteral("normal"), x + 150, y, 11, QColor(160, 168, 184));
  Label(canvas, QStringLiteral("mouse over"), x + 290, y, 11, QColor(160, 168, 184));
  Label(canvas, QStringLiteral("pressed"), x + 430, y, 11, QColor(160, 168, 184));
  Label(canvas, QStringLiteral("disabled"), x + 570, y, 11, QColor(160, 168, 184));
  int top = y + 20;
  for (const auto& row : rows) {
    const skin::SkinPicture* entry = skin::FindSkinPicture(row.file);
    const int h = entry->frameHeight;
    Panel(canvas, QRect(x + 140, top - 4, 570, h + 8), row.under, 6);
    Label(canvas, QString::fromUtf8(row.file), x, top + (h - 14) / 2, 11, QColor(160, 168, 184));
    const Show shows[] = {Show::Normal, Show::Hover, Show::Pressed, Show::Disabled};
    for (int i = 0; i < 4; ++i) {
      Button(canvas, row.file, x + 150 + 140 * i, top, shows[i], true);
    }
    top += h + 12;
  }
}

void Sliders(QWidget* canvas, int x, int y) {
  QWidget* card = Panel(canvas, QRect(x, y, 330, 250), QColor(36, 42, 55));
  card->setStyleSheet(card->styleSheet() + QStringLiteral("QLabel { color: #ECEFF4; }"));
  Label(card, QStringLiteral("Converting"), 16, 10, 12, QColor(236, 239, 244), true);
  TSkinProcess* current = Slider(card, QRect(16, 34, 298, 20), "ctrack.png", "cprogress.bmp", nullptr, 10);
  current->SetExtRange(0, current->width());
  current->Setprocess(64);
  Label(card, QStringLiteral("64%"), 16, 56, 11, QColor(160, 168, 184));
  TSkinProcess* all = Slider(card, QRect(16, 78, 298, 20), "ctrack.png", "cprogress.bmp", nullptr, 10);
  all->SetExtRange(0, all->width());
  all->Setprocess(27);
  Label(card, QStringLiteral("27%"), 16, 100, 11, QColor(160, 168, 184));

  const struct {
    const char* caption;
    const char* fill;
    int value;
  } effects[] = {
      {"Brightness", "eprogress.bmp", 50}, {"Contrast", "eprogress.bmp", 72}, {"Volume", "progress.bmp", 35}};
  int top = 132;
  for (const auto& e : effects) {
    Label(card, QString::fromUtf8(e.caption), 16, top - 3, 11, QColor(160, 168, 184));
    TSkinProcess* slider = Slider(card, QRect(100, top, 200, 8), "etrack.png", e.fill, "slide.bmp", 4);
    slider->SetExtRange(0, slider->width());
    slider->SetMoveChangeNotify(true);
    slider->Setprocess(e.value);
    top += 34;
  }
  // The editor's position slider with its trim handles.
  TSkinProcess* editor =
      Slider(card, QRect(24, top + 4, 282, 8), "etrack.png", "progress.bmp", "slide.bmp", 4);
  editor->SetFreeMode(true);
  editor->SetExtRange(1, editor->width() - 2);
  editor->Setprocess(58);
  Button(card, "handle_start.png", 24 + 50 - 9, top - 1);
  Button(card, "handle_end.png", 24 + 230, top - 1);
}

void Boxes(QWidget* canvas, int x, int y) {
  Panel(canvas, QRect(x, y, 690, 262), QColor(28, 33, 43));
  Label(canvas, QStringLiteral("Original Preview"), x + 12, y + 8, 12, QColor(236, 239, 244), true);
  Label(canvas, QStringLiteral("Output Preview"), x + 356, y + 8, 12, QColor(236, 239, 244), true);

  auto* crop = new TCropPanelEx(canvas);
  crop->setGeometry(x + 12, y + 30, 324, 222);
  crop->fSetTransparent(50);
  crop->SetBevelWidth(0);
  crop->SetColor(Qt::black);
  crop->UpdateBkBmp(WrapperBitmap(SampleFrame(324, 222)));
  crop->fSetCropLeft(40);
  crop->fSetCropTop(28);
  crop->fSetCropWidth(236);
  crop->fSetCropHeight(160);

  auto* mark = new TMarkPanel(canvas);
  mark->setGeometry(x + 356, y + 30, 324, 222);
  mark->SetColor(QColor(128, 0, 0));
  mark->SetBevelOuter(bvNone);
  mark->fSetEnableMark(true);
  QImage output = SampleFrame(324, 222);
  {
    QPainter p(&output);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 200));
    p.drawText(QRect(196, 160, 110, 36), Qt::AlignCenter, QStringLiteral("© Robin"));
  }
  mark->UpdateBkBmp(WrapperBitmap(output));
  mark->fSetMarkLeft(196);
  mark->fSetMarkTop(160);
  mark->fSetMarkWidth(110);
  mark->fSetMarkHeight(36);
}

void Odds(QWidget* canvas, int x, int y) {
  QWidget* card = Panel(canvas, QRect(x, y, 690, 170), QColor(36, 42, 55));
  card->setStyleSheet(card->styleSheet() + SkinStyleSheet(g_skins));
  auto* tree = new QTreeWidget(card);
  tree->setGeometry(12, 12, 420, 146);
  tree->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Original Length"),
                         QStringLiteral("Trimmed Length"), QStringLiteral("Output Name")});
  tree->setIconSize(QSize(23, 16));
  tree->setRootIsDecorated(false);
  tree->setColumnWidth(0, 118);
  tree->setColumnWidth(1, 100);
  tree->setColumnWidth(2, 100);
  tree->header()->setStretchLastSection(true);
  tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const struct {
    const char* picture;
    const char* name;
    const char* length;
    const char* trimmed;
    const char* output;
  } items[] = {{"item_video.png", "holiday.avi", "00:12:31", "00:08:02", "holiday.mp4"},
               {"item_audio.png", "interview.wav", "00:41:07", "00:41:07", "interview.mp4"},
               {"item_merged.png", "Merged 1", "00:05:40", "00:05:40", "clip-1.mp4"}};
  for (const auto& item : items) {
    auto* row = new QTreeWidgetItem(tree, {QString::fromUtf8(item.name), QString::fromUtf8(item.length),
                                           QString::fromUtf8(item.trimmed), QString::fromUtf8(item.output)});
    row->setIcon(0, QIcon(SkinPath(item.picture)));
    row->setCheckState(0, Qt::Checked);
  }
  tree->setCurrentItem(tree->topLevelItem(0));

  Picture(card, Skin("kestrelvine.png"), 448, 16, 96, 96);
  Picture(card, Skin("kestrelvine.png"), 556, 48, 32, 32);
  Picture(card, Skin("kestrelvine.png"), 600, 56, 16, 16);

  QImage digits = Skin("digits.png");
  for (int i = 0; i < 3; ++i) {
    auto* number = new TssSkinNumber(card);
    number->SetSkin(digits);
    number->SetValue(i == 0 ? 2 : i == 1 ? 4 : 7);
    number->move(448 + 20 * i, 128);
  }
  auto* caption = Button(card, "btn_ok.png", 580, 126);
  auto* linked = new TssLinkButton(card);
  linked->SetDivNum(4);
  linked->SetSkin(Skin("tb_help.png"));
  linked->move(552, 131);
  linked->SetLinkButton(caption);
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QCoreApplication::sendEvent(linked, &enter);
}

class Canvas : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(62, 66, 78));
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QString screenshot;
  g_skins = QStringLiteral(KV_SKINS_DIR);
  const QStringList args = QCoreApplication::arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == QStringLiteral("--screenshot")) {
      screenshot = args[++i];
    } else if (args[i] == QStringLiteral("--skins")) {
      g_skins = args[++i];
    }
  }

  auto* canvas = new Canvas;
  canvas->resize(1700, 1370);
  auto heading = [&](const QString& text, int x, int y) { Label(canvas, text, x, y, 14, Qt::white, true); };
  heading(QStringLiteral("Main window"), 20, 12);
  MainWindow(canvas, 20, 40);
  heading(QStringLiteral("About"), 20, 642);
  About(canvas, 20, 670);
  heading(QStringLiteral("Splash"), 476, 642);
  Splash(canvas, 476, 670);
  heading(QStringLiteral("Button states"), 980, 12);
  ButtonStates(canvas, 980, 40);
  heading(QStringLiteral("Task list pictures, icon, number display, linked buttons"), 980, 842);
  Odds(canvas, 980, 870);
  heading(QStringLiteral("Sliders and progress bars"), 20, 1060);
  Sliders(canvas, 20, 1088);
  heading(QStringLiteral("Crop box and watermark box"), 370, 1060);
  Boxes(canvas, 370, 1088);
  heading(QStringLiteral("A dialog"), 1080, 1060);
  SaveAs(canvas, 1080, 1088);

  QScrollArea window;
  window.setWidget(canvas);
  window.resize(1400, 900);
  window.setWindowTitle(QStringLiteral("Kestrelvine skin gallery"));
  window.show();
  QCoreApplication::processEvents();

  if (!screenshot.isEmpty()) {
    const bool saved = canvas->grab().save(screenshot);
    std::fprintf(stderr, saved ? "saved %s\n" : "could not save %s\n", screenshot.toLocal8Bit().constData());
    return saved ? 0 : 1;
  }
  return app.exec();
}
