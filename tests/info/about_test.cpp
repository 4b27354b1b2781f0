#include "info/about_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "tests/info/info_test_env.h"
#include "widgets/ssbutton.h"
#include "widgets/ssform.h"

namespace {

// The notice the product shows, as long as the run entry makes it.
constexpr char kProductNotice[] =
    "Copyright (C) 2026 Tolvermax Studio. Free software under the GNU GPL, version 2 or later.";

class AboutTest : public InfoTest {
 protected:
  static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5)); }
};

TEST_F(AboutTest, ShowsTheContextTexts) {
  TAboutForm form(Ui(), nullptr);
  EXPECT_EQ(LabelText(form, "lblVersion"), "2.5.1");
  EXPECT_EQ(LabelText(form, "lblSupport"), context_.supportLink);
  EXPECT_EQ(LabelText(form, "lblHome"), context_.homePageLink);
  EXPECT_EQ(LabelText(form, "lblNotice"), context_.noticeText);
  EXPECT_EQ(LabelText(form, "lblVersionCaption"), "Version");
  EXPECT_EQ(LabelText(form, "lblSupportCaption"), "Support:");
  EXPECT_EQ(LabelText(form, "lblHomeCaption"), "Home Page:");
}

TEST_F(AboutTest, TheProductsNoticeWrapsInsideTheWindow) {
  context_.noticeText = QString::fromUtf8(kProductNotice);
  TAboutForm form(Ui(), nullptr);
  const auto* notice = form.findChild<QLabel*>("lblNotice");
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(form.rect().contains(notice->geometry())) << notice->geometry().right();
  EXPECT_GT(notice->height(), notice->fontMetrics().height()) << "on one line it would run past the edge";
}

TEST_F(AboutTest, ClickingALinkHandsItsOwnTextToTheShell) {
  TAboutForm form(Ui(), nullptr);
  form.show();
  auto* support = form.findChild<QLabel*>("lblSupport");
  auto* home = form.findChild<QLabel*>("lblHome");
  EXPECT_EQ(support->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(home->cursor().shape(), Qt::PointingHandCursor);
  Click(support);
  Click(home);
  QTest::mouseClick(home, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(shell_.opened, (std::vector<QString>{context_.supportLink, context_.homePageLink}));
  EXPECT_TRUE(form.isVisible());
}

TEST_F(AboutTest, EmptyContextTextsShowAsEmptyLabelsAndOpenNothing) {
  context_.productVersion.clear();
  context_.supportLink.clear();
  context_.homePageLink.clear();
  context_.noticeText.clear();
  TAboutForm form(Ui(), nullptr);
  form.show();
  EXPECT_EQ(LabelText(form, "lblVersion"), "");
  EXPECT_EQ(LabelText(form, "lblNotice"), "");
  Click(form.findChild<QLabel*>("lblSupport"));
  Click(form.findChild<QLabel*>("lblHome"));
  EXPECT_TRUE(shell_.opened.empty());
}

TEST_F(AboutTest, OkAcceptsAndTheCloseBoxRejects) {
  for (const auto& [button, result] :
       {std::pair{"ssSBOk", QDialog::Accepted}, std::pair{"ssSBClose", QDialog::Rejected}}) {
    TAboutForm form(Ui(), nullptr);
    form.show();
    auto* target = form.findChild<TssSkinButton*>(QString::fromLatin1(button));
    ASSERT_NE(target, nullptr) << button;
    Click(target);
    EXPECT_EQ(form.result(), result) << button;
    EXPECT_FALSE(form.isVisible()) << button;
  }
}

TEST_F(AboutTest, ShowAboutWindowRunsModallyOverItsOwnerAndDestroysTheWindow) {
  QWidget owner;
  owner.setGeometry(100, 100, 800, 600);
  owner.show();
  QPointer<QWidget> seen;
  QPoint centre;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    seen = modal;
    centre = modal->geometry().center();
    Click(modal->findChild<TssSkinButton*>("ssSBOk"));
  });
  ShowAboutWindow(Ui(), &owner);
  EXPECT_NE(seen.data(), &owner);
  EXPECT_TRUE(seen.isNull());
  EXPECT_LE((centre - owner.geometry().center()).manhattanLength(), 2);
}

TEST_F(AboutTest, TheProductsPictureShapesTheWindowAndAMissingOrBrokenOneFallsBackToTheBuiltInPicture) {
  {
    TAboutForm form(Ui(), nullptr);
    EXPECT_EQ(form.findChild<TssSkinForm*>("ssSkinForm1")->Glyph().size(), QSize(440, 300));
    EXPECT_EQ(form.size(), QSize(440, 300));
  }
  QImage own(400, 280, QImage::Format_RGB32);
  own.fill(QColor(10, 20, 30));
  PutSkin("about.bmp", own);
  {
    TAboutForm form(Ui(), nullptr);
    EXPECT_EQ(form.size(), QSize(400, 280));
  }
  WriteFile(context_.productFolder + "Skins/about.bmp", "BM not really a picture");
  {
    TAboutForm form(Ui(), nullptr);
    EXPECT_EQ(form.size(), QSize(440, 300));
  }
}

}  // namespace
