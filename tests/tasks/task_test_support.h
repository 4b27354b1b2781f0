#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "plug/plug_table.h"
#include "tasks/task_list.h"
#include "tests/app/app_test_env.h"
#include "tests/tasks/fake_ff_preview.h"

inline void PrintTo(CheckState state, std::ostream* os) {
  static const char* const kNames[] = {"UncheckedNormal", "UncheckedPressed", "CheckedNormal",
                                       "CheckedPressed",  "MixedNormal",      "MixedPressed"};
  *os << kNames[static_cast<int>(state)];
}

// Keeps what the list asked of its surroundings.
class RecordingEnvironment final : public ListEnvironment {
 public:
  std::vector<QString> messages;
  int processed = 0;
  int busyDepth = 0;
  int deepestBusy = 0;
  // Runs where window messages would, with the number of the call (1, 2, ...).
  std::function<void(int)> onProcess;

  void ProcessMessages() override {
    ++processed;
    if (onProcess) {
      onProcess(processed);
    }
  }
  void BeginBusy() override { deepestBusy = std::max(deepestBusy, ++busyDepth); }
  void EndBusy() override { --busyDepth; }
  void ShowMessage(const QString& text) override { messages.push_back(text); }
};

// A task list bound to a tree, this product published, and the fake engine registered: files made
// with Media() probe as described, every other file is refused by the engine.
class TaskListTest : public AppTest {
 protected:
  static constexpr char kThisProduct[] = "Kestrelvine Converter";

  void SetUp() override {
    AppTest::SetUp();
    context_.productName = kThisProduct;
    FakeFfPreview::Reset();
    list_ = std::make_unique<TVirtualStringTreeHelper>(context_);
    list_->Bind(tree_, 3);
    list_->SetEnvironment(&environment_);
    mp4_.ProfileId = 7;
    mp4_.ProfileName = "MP4";
    mp4_.FormatExt = ".mp4";
    mp4_.Width = 640;
    mp4_.Height = 480;
    avi_ = mp4_;
    avi_.ProfileId = 8;
    avi_.ProfileName = "AVI";
    avi_.FormatExt = ".avi";
  }

  void TearDown() override {
    list_.reset();
    FakeFfPreview::Reset();
    AppTest::TearDown();
  }

  // A non-empty file under the test folder that the engine probes as `media`.
  QString Media(const QString& relative, const MediaInfo& media) {
    const QString path = Root(relative);
    WriteFile(path);
    FakeFfPreview::table[path.toStdString()] = media;
    return path;
  }
  QString Video(const QString& relative, double duration = 10.0) {
    return Media(relative, VideoMedia(duration));
  }

  // Loads files made with Media(), asserting each was taken.
  TaskNode* Add(const QString& path, const ProfileSetting* profile = nullptr) {
    EXPECT_EQ(list_->LoadFile(path, profile != nullptr ? *profile : mp4_, 3), 0) << path.toStdString();
    return Bound().GetLastTopLevel();
  }

  // The tree the list is bound to.
  TaskTree& Bound() const { return *list_->Tree(); }

  std::vector<TaskNode*> TopLevel() const {
    std::vector<TaskNode*> nodes;
    for (int i = 0; i < Bound().TopLevelCount(); ++i) {
      nodes.push_back(Bound().Root()->ChildAt(i));
    }
    return nodes;
  }
  static std::vector<TaskNode*> Children(const TaskNode* node) {
    std::vector<TaskNode*> nodes;
    for (int i = 0; i < node->ChildCount(); ++i) {
      nodes.push_back(node->ChildAt(i));
    }
    return nodes;
  }
  // The output names (file names for parts) of nodes.
  static QStringList Names(const std::vector<TaskNode*>& nodes) {
    QStringList names;
    for (const TaskNode* node : nodes) {
      const MuiItemInfo* item = node->Item();
      names.push_back(item->itemKind() == kMergePart ? item->fileName : item->outputName());
    }
    return names;
  }
  QStringList TopNames() const { return Names(TopLevel()); }

  // A selection of exactly these nodes, the first focused.
  void SelectOnly(const std::vector<TaskNode*>& nodes) {
    Bound().ClearSelection();
    for (TaskNode* node : nodes) {
      Bound().SetSelected(node, true);
    }
    if (!nodes.empty()) {
      Bound().SetFocusedNode(nodes.front());
    }
  }

  TaskTree tree_;
  RecordingEnvironment environment_;
  std::unique_ptr<TVirtualStringTreeHelper> list_;
  ProfileSetting mp4_;
  ProfileSetting avi_;
  std::unique_ptr<AutoReg> engine_ = std::make_unique<AutoReg>(kFfPreviewName, &FakeFfPreview::Make);
};
