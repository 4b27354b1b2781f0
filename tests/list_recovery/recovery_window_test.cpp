// The main window's side of the list that survives a crash: the list killed with the program comes
// back field by field, sources that are gone are left out and named in one message, a damaged file is
// kept as ".bad", and a normal close (or a "No") leaves nothing behind.
#include <signal.h>
#include <sys/types.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include "mainwin/list_recovery.h"
#include "tests/list_recovery/list_dump.h"
#include "tests/list_recovery/recovery_script.h"
#include "tests/mainwin/main_window_test_support.h"

namespace {

using mainwin_test::MainWindowTest;
using platform::MsgAnswer;
using platform::MsgButtons;

class ListRecoveryTest : public MainWindowTest {
 protected:
  QString ListFile() const { return UserDataFolder() + "/task_list.json"; }

  QStringList ScriptFiles() {
    QStringList files;
    const char* names[] = {"first.mkv", "second.mp4", "third.avi", "fourth.mp4"};
    for (int i = 0; i < 4; ++i) {
      files.push_back(Media(names[i], recovery_script::ScriptMedia(i)));
    }
    return files;
  }

  // Lets the window run until its list is written; false when that took unreasonably long.
  static bool WaitSaved(TConverterForm1& form) {
    QElapsedTimer waited;
    waited.start();
    while (!(form.Recovery().UpToDate() && QFile::exists(form.Recovery().path()))) {
      if (waited.elapsed() > 20000) {
        return false;
      }
      Idle(20);
    }
    return true;
  }

  static QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  std::vector<std::string> Lines(const QByteArray& text) {
    std::vector<std::string> lines;
    for (const QByteArray& line : text.split('\n')) {
      if (!line.isEmpty()) {
        lines.push_back(line.toStdString());
      }
    }
    return lines;
  }
};

TEST_F(ListRecoveryTest, TheListKilledWithTheProgramComesBackWithEveryEdit) {
  const QStringList files = ScriptFiles();
  QTemporaryDir out;
  ASSERT_TRUE(out.isValid());

  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", home_.path());
  env.insert("XDG_DATA_HOME", home_.path() + "/data");
  env.insert("XDG_CONFIG_HOME", home_.path() + "/config");
  env.insert("KV_RECOVERY_HOST", host_.path());
  env.insert("KV_RECOVERY_FILES", files.join('\n'));
  env.insert("KV_RECOVERY_OUT", out.path());
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(QString::fromUtf8(KV_RECOVERY_CHILD), {});
  ASSERT_TRUE(child.waitForStarted());
  QElapsedTimer waited;
  waited.start();
  while (!QFile::exists(out.path() + "/ready") && child.state() == QProcess::Running &&
         waited.elapsed() < 60000) {
    child.waitForFinished(50);
  }
  ASSERT_TRUE(QFile::exists(out.path() + "/ready")) << "the child ended with " << child.exitCode();
  ASSERT_EQ(::kill(static_cast<pid_t>(child.processId()), SIGKILL), 0);
  ASSERT_TRUE(child.waitForFinished(10000));
  EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
  const std::vector<std::string> before = Lines(ReadAll(out.path() + "/before.txt"));
  ASSERT_FALSE(before.empty());
  ASSERT_TRUE(QFile::exists(ListFile()));

  dialogs_.answers = {MsgAnswer::Yes};
  std::vector<std::string> after;
  ASSERT_TRUE(Run([&](TConverterForm1& form) {
    Idle();
    after = list_dump::DescribeList(Tree(form));
    // The restored list is on show, not the welcome picture.
    EXPECT_TRUE(form.VstList->isVisibleTo(&form));
  }));
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(after, before);
  // The close that ended that run was a normal one.
  EXPECT_FALSE(QFile::exists(ListFile()));
}

TEST_F(ListRecoveryTest, SourcesThatAreGoneAreLeftOutAndNamedInOneMessage) {
  const QStringList files = ScriptFiles();
  QByteArray saved;
  ASSERT_TRUE(Run([&](TConverterForm1& form) {
    Idle();
    AddThroughDialog(form, files);
    // Written a moment after the last change, not at once.
    EXPECT_FALSE(QFile::exists(ListFile()));
    ASSERT_TRUE(WaitSaved(form));
    saved = ReadAll(ListFile());
  }));
  ASSERT_FALSE(saved.isEmpty());
  // As if that session had been killed, with two of its sources deleted since.
  ASSERT_TRUE(QFile::remove(files[1]));
  ASSERT_TRUE(QFile::remove(files[3]));
  mainwin_test::WriteBytes(ListFile(), saved);

  dialogs_.answers = {MsgAnswer::Yes};
  QStringList restored;
  ASSERT_TRUE(Run([&](TConverterForm1& form) {
    Idle();
    for (TaskNode* node : TopLevel(form)) {
      restored.push_back(node->Item()->sourcePath);
    }
  }));
  EXPECT_EQ(restored, QStringList({files[0], files[2]}));
  ASSERT_EQ(dialogs_.shown.size(), 2u);
  const QString& message = dialogs_.shown[1].text;
  EXPECT_TRUE(message.contains(files[1])) << message.toStdString();
  EXPECT_TRUE(message.contains(files[3])) << message.toStdString();
  EXPECT_FALSE(message.contains(files[0])) << message.toStdString();
}

TEST_F(ListRecoveryTest, ADamagedFileIsKeptAsBadAndTheProgramStartsEmpty) {
  const QByteArray damaged = "{\"format\":\"kestrelvine-task-list\",\"version\":1,\"items\":[{\"kind\":";
  mainwin_test::WriteBytes(ListFile(), damaged);
  int items = -1;
  ASSERT_TRUE(Run([&](TConverterForm1& form) {
    Idle();
    items = Tree(form).TopLevelCount();
  }));
  EXPECT_EQ(items, 0);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].buttons, MsgButtons::Ok);
  EXPECT_TRUE(dialogs_.shown[0].text.contains(ListFile() + ".bad")) << dialogs_.shown[0].text.toStdString();
  EXPECT_EQ(ReadAll(ListFile() + ".bad"), damaged);
  EXPECT_FALSE(QFile::exists(ListFile()));
}

// Both ends that leave nothing to restore: a normal close, and a "No" to the offer.
TEST_F(ListRecoveryTest, ANormalCloseOrANoLeavesNoSavedList) {
  const QStringList files = ScriptFiles();
  ASSERT_TRUE(Run([&](TConverterForm1& form) {
    Idle();
    AddThroughDialog(form, files);
    ASSERT_TRUE(WaitSaved(form));
  }));
  EXPECT_FALSE(QFile::exists(ListFile()));
  EXPECT_TRUE(dialogs_.shown.empty());

  QByteArray saved;
  ASSERT_TRUE(Run([&](TConverterForm1& form) {
    Idle();
    AddThroughDialog(form, files);
    ASSERT_TRUE(WaitSaved(form));
    saved = ReadAll(ListFile());
  }));
  mainwin_test::WriteBytes(ListFile(), saved);
  dialogs_.shown.clear();
  dialogs_.answers = {MsgAnswer::No};
  int items = -1;
  bool fileDuringRun = true;
  ASSERT_TRUE(Run([&](TConverterForm1& form) {
    Idle();
    items = Tree(form).TopLevelCount();
    fileDuringRun = QFile::exists(ListFile());
  }));
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(items, 0);
  EXPECT_FALSE(fileDuringRun);
}

}  // namespace
