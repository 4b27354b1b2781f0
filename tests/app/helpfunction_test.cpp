#include "app/helpfunction.h"
#include "base/routines.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QStringList>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/app/app_test_env.h"

namespace {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

TEST(FormatHms, FormatsHoursMinutesSecondsWithTwoDigitsAtLeast) {
  const struct {
    int32_t seconds;
    const char* text;
  } cases[] = {
      {0, "00:00:00"},
      {59, "00:00:59"},
      {60, "00:01:00"},
      {3599, "00:59:59"},
      {3661, "01:01:01"},
      {86399, "23:59:59"},
      {360000, "100:00:00"},
      {INT32_MAX, "596523:14:07"},
      // A negative span carries one sign in front of its magnitude.
      {-1, "-00:00:01"},
      {-3661, "-01:01:01"},
      {INT32_MIN, "-596523:14:08"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatHms(c.seconds), c.text) << c.seconds << " s";
  }
}

TEST(RescaleRect, ConvertsBetweenFramesAndRecordsTheNewFrame) {
  struct Rect {
    int32_t left, top, width, height;
  };
  const struct {
    const char* what;
    Rect rect;
    int32_t frameW, frameH, newW, newH;
    Rect expected;
    int32_t expectedW, expectedH;
  } cases[] = {
      {"halving truncates", {101, 51, 200, 99}, 640, 480, 320, 240, {50, 25, 100, 49}, 320, 240},
      {"doubling", {10, 20, 30, 40}, 320, 240, 640, 480, {20, 40, 60, 80}, 640, 480},
      {"each axis by its own scale", {100, 100, 100, 100}, 640, 480, 320, 480, {50, 100, 50, 100}, 320, 480},
      {"1080p to 720p", {300, 150, 999, 541}, 1920, 1080, 1280, 720, {200, 100, 666, 360}, 1280, 720},
      {"negatives truncate toward zero", {-101, -3, 5, 7}, 640, 480, 320, 240, {-50, -1, 2, 3}, 320, 240},
      {"old frame empty: rect kept, frame adopted", {1, 2, 3, 4}, 0, 0, 320, 240, {1, 2, 3, 4}, 320, 240},
      {"old frame without height", {1, 2, 3, 4}, 640, 0, 320, 240, {1, 2, 3, 4}, 320, 240},
      {"new frame empty: nothing changes", {1, 2, 3, 4}, 640, 480, 0, 0, {1, 2, 3, 4}, 640, 480},
      {"new frame without width", {1, 2, 3, 4}, 640, 480, 0, 240, {1, 2, 3, 4}, 640, 480},
      // 65536 * 65536 wraps to 0 in 32 bits; the frames are not empty.
      {"areas beyond 32 bits",
       {100, 100, 100, 100},
       131072,
       131072,
       65536,
       65536,
       {50, 50, 50, 50},
       65536,
       65536},
      {"results beyond 32 bits saturate",
       {100000, -100000, 1, 1},
       1,
       1,
       65536,
       65536,
       {INT32_MAX, INT32_MIN, 65536, 65536},
       65536,
       65536},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    static const char kPicture[] = "/pictures/mark.png";
    WatermarkBlock mark{kPicture, c.rect.left, c.rect.top, c.rect.width, c.rect.height, 42};
    int32_t frameW = c.frameW;
    int32_t frameH = c.frameH;
    RescaleRect(mark, frameW, frameH, c.newW, c.newH);
    EXPECT_EQ(mark.markFile, kPicture) << "the picture is not the rectangle's to change";
    EXPECT_EQ(mark.markTransparency, 42);
    EXPECT_EQ(mark.markLeft, c.expected.left);
    EXPECT_EQ(mark.markTop, c.expected.top);
    EXPECT_EQ(mark.markWidth, c.expected.width);
    EXPECT_EQ(mark.markHeight, c.expected.height);
    EXPECT_EQ(frameW, c.expectedW);
    EXPECT_EQ(frameH, c.expectedH);
  }
}

class FileSizeOfTest : public AppTest {};

TEST_F(FileSizeOfTest, GivesTheSizeOfRegularFilesOnly) {
  WriteFile(Root("clip.mp4"), QByteArray(1234, 'v'));
  WriteFile(Root("empty.txt"), QByteArray());
  ASSERT_TRUE(QFile::link(Root("clip.mp4"), Root("link.mp4")));
  ASSERT_TRUE(QDir().mkpath(Root("folder")));
  ASSERT_EQ(mkfifo(Root("pipe").toLocal8Bit().constData(), 0600), 0);

  EXPECT_EQ(FileSizeOf(Root("clip.mp4")), 1234u);
  EXPECT_EQ(FileSizeOf(Root("link.mp4")), 1234u) << "a link counts as the file it points to";
  EXPECT_EQ(FileSizeOf(Root("empty.txt")), 0u);
  EXPECT_EQ(FileSizeOf(Root("missing.mp4")), 0u);
  EXPECT_EQ(FileSizeOf(Root("folder")), 0u);
  // Opening a pipe without a writer would block the caller for good.
  EXPECT_EQ(FileSizeOf(Root("pipe")), 0u);
}

TEST_F(FileSizeOfTest, SizesBeyondFourGigabytesAreNotCut) {
  QFile file(Root("sparse.bin"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const qint64 size = (qint64{1} << 32) + 5;
  // Sparse: no disk space is used.
  ASSERT_TRUE(file.resize(size));
  file.close();
  EXPECT_EQ(FileSizeOf(file.fileName()), static_cast<uint64_t>(size));
}

class ResolveOutputNameTest : public AppTest {
 protected:
  QString Folder() const { return Root("out/"); }
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(QDir().mkpath(Folder()));
  }
};

TEST_F(ResolveOutputNameTest, AFreeNameIsUsedWithoutAsking) {
  EXPECT_EQ(ResolveOutputName(dialogs_, Folder(), "clip.mp4"), Folder() + "clip.mp4");
  EXPECT_EQ(ResolveOutputName(Folder(), "clip.mp4", {}), Folder() + "clip.mp4");
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(ResolveOutputNameTest, YesReplacesTheExistingFile) {
  WriteFile(Folder() + "clip.mp4");
  dialogs_.answers = {MsgAnswer::Yes};
  EXPECT_EQ(ResolveOutputName(dialogs_, Folder(), "clip.mp4"), Folder() + "clip.mp4");

  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "clip.mp4 exists, replace it?");
  EXPECT_EQ(dialogs_.shown[0].caption, "Convert");
  EXPECT_EQ(dialogs_.shown[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(dialogs_.shown[0].icon, MsgIcon::Information);
}

TEST_F(ResolveOutputNameTest, NoPicksTheFirstFreeNumberedName) {
  const struct {
    const char* what;
    QString name;
    QStringList existing;  // besides `name` itself
    QString expected;
  } cases[] = {
      {"first number", "clip.mp4", {}, "clip_0.mp4"},
      {"numbers already taken", "clip.mp4", {"clip_0.mp4", "clip_1.mp4"}, "clip_2.mp4"},
      {"a gap is filled", "clip.mp4", {"clip_1.mp4"}, "clip_0.mp4"},
      {"split at the last dot", "a.b.mp4", {}, "a.b_0.mp4"},
      {"no dot: all base", "clip", {}, "clip_0"},
      {"only an extension: kept", ".mp4", {}, "_0.mp4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.path() + "/";
    WriteFile(path + c.name);
    for (const QString& name : c.existing) {
      WriteFile(path + name);
    }
    dialogs_.shown.clear();
    dialogs_.answers = {MsgAnswer::No};
    EXPECT_EQ(ResolveOutputName(dialogs_, path, c.name), path + c.expected);
    ASSERT_EQ(dialogs_.shown.size(), 1u) << "one question, whatever the number of tries";
    EXPECT_EQ(dialogs_.shown[0].text, c.name + " exists, replace it?");
  }
}

TEST_F(ResolveOutputNameTest, AnyEntryBlocksANameEvenADanglingLink) {
  WriteFile(Folder() + "clip.mp4");
  ASSERT_TRUE(QDir().mkpath(Folder() + "clip_0.mp4"));
  ASSERT_TRUE(QFile::link(Root("nowhere/target.mp4"), Folder() + "clip_1.mp4"));
  dialogs_.answers = {MsgAnswer::No};
  EXPECT_EQ(ResolveOutputName(dialogs_, Folder(), "clip.mp4"), Folder() + "clip_2.mp4");
}

// The toolkit-free resolver asks whoever its caller names, with the file's name.
TEST_F(ResolveOutputNameTest, TheMayReplaceAnswerDecides) {
  WriteFile(Folder() + "clip.mp4");
  std::vector<QString> asked;
  const auto answer = [&asked](bool yes) {
    return [&asked, yes](const QString& name) {
      asked.push_back(name);
      return yes;
    };
  };
  EXPECT_EQ(ResolveOutputName(Folder(), "clip.mp4", answer(true)), Folder() + "clip.mp4");
  EXPECT_EQ(ResolveOutputName(Folder(), "clip.mp4", answer(false)), Folder() + "clip_0.mp4");
  EXPECT_EQ(asked, (std::vector<QString>{"clip.mp4", "clip.mp4"}));
  EXPECT_TRUE(dialogs_.shown.empty());
}

class DesktopServicesTest : public AppTest {};

TEST_F(DesktopServicesTest, BrowseForFolderStartsInTheFolderGivenAndWritesOnlyAChoice) {
  dialogs_.folders = {"/media/films", "/media/music"};
  QString out = "unchanged";
  EXPECT_TRUE(BrowseForFolder(dialogs_, nullptr, "Choose the output folder", out));
  EXPECT_EQ(out, "/media/films");
  EXPECT_TRUE(BrowseForFolder(dialogs_, nullptr, "Choose the snapshot folder", out));
  EXPECT_EQ(out, "/media/music");
  EXPECT_EQ(dialogs_.folderTitles,
            (std::vector<QString>{"Choose the output folder", "Choose the snapshot folder"}));
  EXPECT_EQ(dialogs_.folderStarts, (std::vector<QString>{"unchanged", "/media/films"}))
      << "each chooser opens in the folder it was given";

  // The script is empty now: both choosers are cancelled.
  out = "unchanged";
  EXPECT_FALSE(BrowseForFolder(dialogs_, nullptr, "Choose", out));
  EXPECT_EQ(out, "unchanged");
}

// With nobody to ask, the answer that cannot destroy a file is the one taken.
TEST(ResolveOutputNameWithoutAnyoneToAsk, OverwritesNothing) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString path = folder.path() + "/";
  WriteFile(path + "clip.mp4");
  EXPECT_EQ(ResolveOutputName(path, "clip.mp4", {}), path + "clip_0.mp4");
}

}  // namespace
