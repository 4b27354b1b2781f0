#include "widgets/skin_style.h"

#include <QDir>
#include <QLabel>

QString SkinStyleSheet(const QString& skinsFolder) {
  QString sheet = QStringLiteral(R"(
QWidget { color: #ECEFF4; font-family: "DejaVu Sans"; font-size: 12px; }
QLabel { background: transparent; }
QLabel[hint="dim"] { color: #A0A8B8; }
QLineEdit, QComboBox, QAbstractSpinBox {
  background: #0D1016; border: 1px solid #3E475A; border-radius: 5px; padding: 2px 6px;
  selection-background-color: #F28C38; selection-color: #1C120A;
}
QLineEdit:focus, QComboBox:focus, QAbstractSpinBox:focus { border-color: #F28C38; }
QLineEdit:read-only { color: #A0A8B8; }
QLineEdit:disabled, QComboBox:disabled, QAbstractSpinBox:disabled { color: #606878; border-color: #2E3544; }
QComboBox::drop-down { border: none; width: 18px; }
QComboBox QAbstractItemView {
  background: #1C212B; border: 1px solid #3E475A; selection-background-color: #3A4356; outline: none;
}
QCheckBox, QRadioButton { background: transparent; spacing: 6px; }
QCheckBox::indicator, QRadioButton::indicator {
  width: 14px; height: 14px; border: 1px solid #3E475A; background: #0D1016;
}
QCheckBox::indicator { border-radius: 3px; }
QRadioButton::indicator { border-radius: 7px; }
QCheckBox::indicator:checked, QRadioButton::indicator:checked { background: #F28C38; border-color: #C46620; }
QCheckBox::indicator:hover, QRadioButton::indicator:hover { border-color: #F28C38; }
QTreeView, QListView {
  background: #0D1016; alternate-background-color: #12161E; border: none;
  selection-background-color: #3A4356; selection-color: #FFFFFF; outline: none;
}
QTreeView::item { height: 22px; }
QTreeView::indicator { width: 13px; height: 13px; border: 1px solid #3E475A; border-radius: 3px; background: #0D1016; }
QTreeView::indicator:checked { background: #F28C38; border-color: #C46620; }
QTreeView::indicator:indeterminate { background: #7A4A22; border-color: #C46620; }
QTreeView::item:hover { background: #1E2430; }
QHeaderView::section {
  background: #242A37; color: #A0A8B8; border: none; border-right: 1px solid #2E3544; padding: 4px 4px;
  font-family: "DejaVu Sans Condensed"; font-weight: 600;
}
QScrollBar:vertical { background: #0D1016; width: 10px; margin: 0; }
QScrollBar:horizontal { background: #0D1016; height: 10px; margin: 0; }
QScrollBar::handle { background: #3A4356; border-radius: 4px; min-height: 24px; min-width: 24px; }
QScrollBar::handle:hover { background: #F28C38; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
QMenu { background: #1C212B; border: 1px solid #3E475A; padding: 4px; }
QMenu::item { padding: 5px 22px 5px 18px; border-radius: 4px; }
QMenu::item:selected { background: #F28C38; color: #1C120A; }
QMenu::item:disabled { color: #606878; }
QMenu::separator { height: 1px; background: #2E3544; margin: 4px 8px; }
QToolTip { background: #0D1016; color: #ECEFF4; border: 1px solid #F28C38; padding: 4px; }
QProgressBar { background: #0D1016; border: 1px solid #3E475A; border-radius: 5px; text-align: center; }
QProgressBar::chunk { background: #F28C38; border-radius: 4px; }
QMessageBox, QFileDialog, QInputDialog, QFontDialog { background: #1C212B; }
QPushButton {
  color: #ECEFF4; background: #242A37; border: 1px solid #3E475A; border-radius: 5px;
  padding: 4px 14px; min-width: 60px;
}
QPushButton:hover, QPushButton:default { border-color: #F28C38; }
QPushButton:pressed { background: #F28C38; color: #1C120A; }
QPushButton:disabled { color: #606878; border-color: #2E3544; }
)");
  if (!skinsFolder.isEmpty()) {
    QString folder = QDir::fromNativeSeparators(skinsFolder);
    if (!folder.endsWith(QLatin1Char('/'))) {
      folder += QLatin1Char('/');
    }
    sheet += QStringLiteral(R"(
QComboBox::down-arrow { image: url("%1arrow_down.png"); width: 10px; height: 6px; margin-right: 4px; }
QCheckBox::indicator:checked, QTreeView::indicator:checked { image: url("%1check.png"); }
)")
                 .arg(folder);
  }
  return sheet;
}

QString MenuStripStyleSheet() {
  return QStringLiteral(R"(
QToolBar { background: rgb(161, 164, 180); border: none; spacing: 0; padding: 0; }
QToolButton {
  color: #161A22; background: transparent; border: none; padding: 0; margin: 0;
  font-family: "DejaVu Sans Condensed"; font-size: 11px;
}
QToolButton:hover { background: rgb(188, 191, 205); border-radius: 4px; }
QToolButton:pressed, QToolButton:open { background: #F28C38; color: #1C120A; border-radius: 4px; }
QToolButton::menu-indicator { image: none; width: 0; }
)");
}

QLabel* MakeSkinLabel(QWidget* parent, const QString& text, int x, int y, bool heading) {
  auto* label = new QLabel(text, parent);
  if (heading) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  } else {
    label->setProperty("hint", QStringLiteral("dim"));
  }
  label->move(x, y);
  label->adjustSize();
  return label;
}
