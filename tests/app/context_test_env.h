#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <ostream>
#include <utility>
#include <vector>

#include "base/mui_context.h"

inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

// Writes `bytes` to `path`, making its folder first.
inline void WriteFile(const QString& path, const QByteArray& bytes = "x") {
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath())) << path.toStdString();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// A context for a product installed under a fresh temporary folder. HOME and the XDG folders point
// into the same temporary folder for the duration of a test, so the desktop's standard folders are
// fresh. Qt Core only: the rules that take a context are tested without any application object.
class ContextTest : public ::testing::Test {
 protected:
  static constexpr char kProductName[] = "Video Converter";

  void SetUp() override {
    ASSERT_TRUE(root_.isValid());
    SetEnv("HOME", Root("home"));
    SetEnv("XDG_DATA_HOME", Root("home/.local/share"));
    SetEnv("XDG_CONFIG_HOME", Root("home/.config"));
    context_.moduleFolder = Root("P/");
    context_.productFolder = context_.moduleFolder + "sys/soft/" + kProductName + "/";
    context_.makerName = QString::fromUtf8(kMakerName);
    context_.productName = QString::fromUtf8(kProductName);
  }

  void TearDown() override {
    for (auto it = savedEnv_.rbegin(); it != savedEnv_.rend(); ++it) {
      if (it->second.isNull()) {
        qunsetenv(it->first);
      } else {
        qputenv(it->first, it->second);
      }
    }
  }

  // A path inside this test's temporary folder.
  QString Root(const QString& relative) const { return root_.path() + "/" + relative; }

  void SetEnv(const char* name, const QString& value) {
    savedEnv_.emplace_back(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
    qputenv(name, value.toUtf8());
  }

  QTemporaryDir root_;
  MuiContext context_;

 private:
  std::vector<std::pair<const char*, QByteArray>> savedEnv_;
};
