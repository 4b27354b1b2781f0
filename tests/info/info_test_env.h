#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

#include "tests/app/app_test_env.h"

// A published context with every text the information windows show, for a product folder that has
// no Skins folder unless a test makes one.
class InfoTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    context_.productVersion = QStringLiteral("2.5.1");
    context_.noticeText = QStringLiteral("Copyright (C) Tolvermax Studio. All rights reserved.");
    context_.homePageLink = QStringLiteral("https://www.tolvermax.example");
    context_.supportLink = QStringLiteral("https://www.tolvermax.example/support.html");
  }

  // Puts `picture` into the product's Skins folder as `name`.
  void PutSkin(const QString& name, const QImage& picture) {
    ASSERT_TRUE(QDir().mkpath(context_.productFolder + "Skins"));
    ASSERT_TRUE(picture.save(context_.productFolder + "Skins/" + name, "BMP"));
  }

  static QString LabelText(const QWidget& window, const char* name) {
    const auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
  }
};
