#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDeadlineTimer>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tasks/qt_list_environment.h"
#include "tasks/task_view_bind.h"
#include "tests/tasks/task_test_support.h"

namespace {

// The list bound to a shown VstList whose model is watched by Qt's model tester: any inconsistency
// in what the model reports ends the program.
class ViewTest : public TaskListTest {
 protected:
  void SetUp() override {
    TaskListTest::SetUp();
    app_.SetTitle("Kestrelvine Converter");
    view_ = std::make_unique<VstList>();
    tester_ = std::make_unique<QAbstractItemModelTester>(
        view_->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    Bind(*view_, *list_, 3, appEnvironment_, context_.productFolder);
    view_->resize(485, 239);
    view_->show();
    Settle();
  }

  void TearDown() override {
    list_.reset();
    tester_.reset();
    view_.reset();
    TaskListTest::TearDown();
  }

  static void Settle() { QTest::qWait(1); }

  TaskTree& tree() { return view_->Tree(); }
  TaskTreeModel& model() { return *view_->Model(); }

  QModelIndex IndexOf(const TaskNode* node, int column = 0) { return model().IndexOf(node, column); }
  QPoint CentreOf(const TaskNode* node, int column = 1) {
    view_->scrollTo(IndexOf(node, column));
    Settle();
    return view_->visualRect(IndexOf(node, column)).center();
  }
  void Click(const TaskNode* node, Qt::KeyboardModifiers modifiers = {},
             Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(view_->viewport(), button, modifiers, CentreOf(node));
    Settle();
  }

  void LoadFive() {
    QStringList paths;
    for (const char* name : {"a.avi", "b.avi", "c.avi", "d.avi", "e.avi"}) {
      paths.push_back(Video(name));
    }
    ASSERT_TRUE(list_->LoadFiles(paths, true, mp4_, 3));
    Settle();
  }

  // Rows, texts, check boxes, selection and the focused cell of the view are the tree's.
  void ExpectAgreement(const std::string& after) {
    SCOPED_TRACE("after " + after);
    ExpectRows(tree().Root(), QModelIndex());

    std::set<const TaskNode*> shownSelected;
    for (const QModelIndex& row : view_->selectionModel()->selectedRows()) {
      shownSelected.insert(model().NodeOf(row));
    }
    const std::vector<TaskNode*> selected = tree().SelectedNodes();
    EXPECT_EQ(shownSelected, std::set<const TaskNode*>(selected.begin(), selected.end()));

    const QModelIndex current = view_->selectionModel()->currentIndex();
    if (tree().FocusedNode() == nullptr) {
      EXPECT_FALSE(current.isValid());
    } else {
      ASSERT_TRUE(current.isValid());
      EXPECT_EQ(model().NodeOf(current), tree().FocusedNode());
      EXPECT_EQ(current.column(), tree().FocusedColumn());
    }
  }

  void ExpectRows(const TaskNode* node, const QModelIndex& parent) {
    ASSERT_EQ(model().rowCount(parent), node->ChildCount());
    for (int row = 0; row < node->ChildCount(); ++row) {
      const TaskNode* child = node->ChildAt(row);
      const QModelIndex index = model().index(row, 0, parent);
      ASSERT_EQ(model().NodeOf(index), child);
      for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(index.siblingAtColumn(column).data().toString(), list_->GetText(child, column));
      }
      const QVariant check = index.data(Qt::CheckStateRole);
      if (child->GetCheckType() == CheckType::None) {
        EXPECT_FALSE(check.isValid());
      } else {
        const CheckState state = NormalForm(child->GetCheckState());
        const Qt::CheckState shown = state == CheckState::CheckedNormal ? Qt::Checked
                                     : state == CheckState::MixedNormal ? Qt::PartiallyChecked
                                                                        : Qt::Unchecked;
        EXPECT_EQ(check.toInt(), static_cast<int>(shown));
      }
      ExpectRows(child, index);
    }
  }

  std::unique_ptr<VstList> view_;
  std::unique_ptr<QAbstractItemModelTester> tester_;

  ApplicationListEnvironment appEnvironment_{app_};
};

TEST_F(ViewTest, TheViewAndTheTreeAgreeThroughASequenceOfOperations) {
  LoadFive();
  ExpectAgreement("loading");
  EXPECT_EQ(model().NodeOf(view_->currentIndex()), tree().GetLastTopLevel());

  std::vector<TaskNode*> top = TopLevel();
  Click(top[1]);
  Click(top[3], Qt::ControlModifier);
  EXPECT_EQ(tree().SelectedNodes(), std::vector<TaskNode*>({top[1], top[3]}));
  EXPECT_EQ(tree().FocusedNode(), top[3]);
  ExpectAgreement("clicks");

  TaskNode* merged = list_->MergeSelected(mp4_, 3);
  view_->expand(IndexOf(merged));
  Click(merged->ChildAt(1));
  EXPECT_EQ(tree().FocusedNode(), merged->ChildAt(1));
  ExpectAgreement("merging and clicking a part");

  ASSERT_TRUE(model().setData(IndexOf(top[0]), Qt::Unchecked, Qt::CheckStateRole));
  ASSERT_TRUE(model().setData(IndexOf(top[2], 3), "renamed ", Qt::EditRole));
  EXPECT_EQ(top[2]->Item()->outputName(), "renamed.mp4");
  ExpectAgreement("checking and renaming");

  SelectOnly({top[0], merged->ChildAt(0)});
  list_->RemoveSelected();
  Settle();
  EXPECT_EQ(merged->ChildCount(), 1);
  ExpectAgreement("removing");

  tree().SetFocusedNode(merged);
  EXPECT_TRUE(list_->MoveUp());
  top = TopLevel();
  SelectOnly({top[0]});
  list_->StartDrag();
  ASSERT_TRUE(view_->DragMoveAt(CentreOf(top[0]), true));
  view_->DropAt(CentreOf(top[2]));
  EXPECT_EQ(TopLevel()[2], top[0]);
  ExpectAgreement("moving and dragging");

  for (const char* name : {"f.avi", "g.avi", "h.avi", "i.avi"}) {
    Add(Video(name));
  }
  top = TopLevel();
  SelectOnly({top[0], top[2], top[4], top[6], top[7]});
  list_->RemoveSelected();
  EXPECT_EQ(tree().TopLevelCount(), static_cast<int>(top.size()) - 5);
  ExpectAgreement("removing scattered rows");

  list_->SetAllChecked(false);
  tree().SetFocusedNode(TopLevel()[1]);
  TopLevel()[1]->Item()->profile = avi_;
  list_->ApplyProfileToAll();
  ExpectAgreement("unchecking and applying to all");

  list_->ClearAll();
  ExpectAgreement("clearing");
}

TEST_F(ViewTest, TheFocusMovesBetweenNodesButNeverToNone) {
  std::vector<std::string> changes;
  list_.reset();
  tree().events.focusChanging = [&](TaskNode* from, TaskNode* to, int, int column, bool&) {
    changes.push_back((from ? from->Item()->fileName.toStdString() : "none") + ">" +
                      to->Item()->fileName.toStdString() + " " + std::to_string(column));
  };
  list_ = std::make_unique<TVirtualStringTreeHelper>(context_);
  Bind(*view_, *list_, 3, appEnvironment_, context_.productFolder);
  LoadFive();

  view_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  EXPECT_EQ(tree().FocusedNode(), tree().GetLastTopLevel());
  EXPECT_EQ(model().NodeOf(view_->currentIndex()), tree().GetLastTopLevel());

  QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, CentreOf(TopLevel()[0], 2));
  QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, CentreOf(TopLevel()[0], 1));
  EXPECT_EQ(tree().FocusedColumn(), 1);
  // The main window hears of node changes only, not of a change of column.
  EXPECT_EQ(changes, std::vector<std::string>({"none>e.avi 0", "e.avi>a.avi 2"}));
}

TEST_F(ViewTest, ARightClickSelectsTheRowUnderIt) {
  LoadFive();
  Click(TopLevel()[2], {}, Qt::RightButton);
  EXPECT_EQ(tree().SelectedNodes(), std::vector<TaskNode*>({TopLevel()[2]}));
  EXPECT_EQ(tree().FocusedNode(), TopLevel()[2]);
}

TEST_F(ViewTest, ACheckBoxIsHeldDownWhilePressedAndTogglesWhenLetGo) {
  LoadFive();
  const TaskNode* node = TopLevel()[1];
  QStyleOptionViewItem option;
  option.initFrom(view_.get());
  option.rect = view_->visualRect(IndexOf(node));
  option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration |
                     QStyleOptionViewItem::HasDisplay;
  option.decorationSize = view_->iconSize();
  const QPoint box =
      view_->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view_.get()).center();

  QTest::mousePress(view_->viewport(), Qt::LeftButton, {}, box);
  EXPECT_EQ(node->GetCheckState(), CheckState::CheckedPressed);
  EXPECT_EQ(IndexOf(node).data(Qt::CheckStateRole).toInt(), static_cast<int>(Qt::Checked));
  QTest::mouseRelease(view_->viewport(), Qt::LeftButton, {}, box);
  EXPECT_EQ(node->GetCheckState(), CheckState::UncheckedNormal);

  // Let go somewhere else: the box comes back up unchanged.
  QTest::mousePress(view_->viewport(), Qt::LeftButton, {}, box, 500);
  QTest::mouseRelease(view_->viewport(), Qt::LeftButton, {}, CentreOf(TopLevel()[3], 3));
  EXPECT_EQ(node->GetCheckState(), CheckState::UncheckedNormal);
}

TEST_F(ViewTest, OnlyTheOutputCellIsEditedAndLeavingItAcceptsTheText) {
  LoadFive();
  SelectOnly({TopLevel()[0], TopLevel()[1]});
  TaskNode* merged = list_->MergeSelected(mp4_, 3);
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(bool(model().flags(IndexOf(TopLevel()[2], column)) & Qt::ItemIsEditable), column == 3);
    EXPECT_FALSE(model().flags(IndexOf(merged->ChildAt(0), column)) & Qt::ItemIsEditable);
  }

  tree().SetFocusedNode(TopLevel()[2]);
  list_->BeginRename();
  auto* editor = view_->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText(" typed:name");
  QTest::keyClick(editor, Qt::Key_Return);
  Settle();
  EXPECT_EQ(TopLevel()[2]->Item()->outputName(), "c.mp4");
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text,
            "The file name can not contain the following characters:\n\\ / : * ? \" < > |");
  EXPECT_EQ(dialogs_.shown[0].caption, "Kestrelvine Converter");
  EXPECT_EQ(dialogs_.shown[0].buttons, platform::MsgButtons::Ok);

  // Moving ends the edit first, which keeps what was typed.
  list_->BeginRename();
  Settle();
  editor = view_->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText("first");
  EXPECT_TRUE(list_->MoveUp());
  EXPECT_EQ(TopLevel()[1]->Item()->outputName(), "first.mp4");
}

TEST_F(ViewTest, RowsShowHintsImagesAndTheFourColumns) {
  const QString skins = context_.productFolder + "Skins/";
  QImage video(23, 16, QImage::Format_ARGB32);
  video.fill(QColor(10, 200, 30));
  ASSERT_TRUE(QDir().mkpath(skins));
  ASSERT_TRUE(video.save(skins + "item_video.png"));
  Bind(*view_, *list_, 3, appEnvironment_, context_.productFolder);
  MediaInfo song = AudioMedia(3);
  AddAudio(song, 0, "mp3", "stereo", "");
  const TaskNode* audio = Add(Media("song.mp3", song));
  const TaskNode* clip = Add(Video("clip.avi"));
  Settle();

  EXPECT_EQ(IndexOf(clip, 0).data(Qt::ToolTipRole).toString(), clip->Item()->sourcePath);
  EXPECT_EQ(IndexOf(clip, 3).data(Qt::ToolTipRole).toString(), "clip.mp4");
  EXPECT_FALSE(IndexOf(clip, 1).data(Qt::ToolTipRole).isValid());
  const auto pixels = [&](const TaskNode* node) {
    return IndexOf(node)
        .data(Qt::DecorationRole)
        .value<QIcon>()
        .pixmap(QSize(23, 16))
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
  };
  EXPECT_EQ(pixels(clip), video) << "from the product's Skins";
  EXPECT_EQ(pixels(audio).size(), QSize(23, 16)) << "a neutral picture where Skins has none";
  EXPECT_NE(pixels(audio), video);
  EXPECT_FALSE(IndexOf(clip, 1).data(Qt::DecorationRole).isValid());

  QHeaderView* header = view_->header();
  const char* titles[] = {"File Name", "Original Length", "Trimmed Length", "Output Name"};
  const int widths[] = {130, 110, 110, 130};
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(model().headerData(column, Qt::Horizontal).toString(), titles[column]);
    EXPECT_EQ(header->sectionSize(column), widths[column]);
  }
  header->resizeSection(0, 40);
  header->resizeSection(1, 40);
  EXPECT_EQ(header->sectionSize(0), 110);
  EXPECT_EQ(header->sectionSize(1), 40);
  EXPECT_EQ(view_->objectName(), "VstList");
}

TEST_F(ViewTest, ADoubleClickExpandsAndCollapsesAMergedItem) {
  LoadFive();
  SelectOnly({TopLevel()[0], TopLevel()[1]});
  TaskNode* merged = list_->MergeSelected(mp4_, 3);
  Settle();
  // What a mouse delivers for a double click.
  const auto doubleClick = [&](int column) {
    const QPoint at = CentreOf(merged, column);
    QTest::mousePress(view_->viewport(), Qt::LeftButton, {}, at, 500);
    QTest::mouseRelease(view_->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view_->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view_->viewport(), Qt::LeftButton, {}, at);
  };
  for (int column : {0, 3}) {
    doubleClick(column);
    EXPECT_TRUE(view_->isExpanded(IndexOf(merged))) << column;
    doubleClick(column);
    EXPECT_FALSE(view_->isExpanded(IndexOf(merged))) << column;
  }
}

TEST_F(ViewTest, DropsAreOnANodeBetweenNodesOrOnEmptySpace) {
  LoadFive();
  const QRect row = view_->visualRect(IndexOf(TopLevel()[1]));
  TaskNode* target = nullptr;
  EXPECT_EQ(view_->DropSpotAt(row.center(), target), DropSpot::OnNode);
  EXPECT_EQ(target, TopLevel()[1]);
  EXPECT_EQ(view_->DropSpotAt(QPoint(row.center().x(), row.top()), target), DropSpot::AboveNode);
  EXPECT_EQ(view_->DropSpotAt(QPoint(row.center().x(), row.bottom()), target), DropSpot::BelowNode);
  EXPECT_EQ(view_->DropSpotAt(QPoint(10, view_->viewport()->height() - 2), target), DropSpot::EmptySpace);
  EXPECT_EQ(target, nullptr);

  // Dragged down from a onto d: a follows d.
  SelectOnly({TopLevel()[0]});
  list_->StartDrag();
  ASSERT_TRUE(view_->DragMoveAt(CentreOf(TopLevel()[0]), true));
  EXPECT_FALSE(view_->DragMoveAt(CentreOf(TopLevel()[1]), false));
  view_->DropAt(CentreOf(TopLevel()[3]));
  EXPECT_EQ(TopNames(), QStringList({"b.mp4", "c.mp4", "d.mp4", "a.mp4", "e.mp4"}));
}

TEST_F(ViewTest, AppendedRowsAreAnnouncedInBatchesAndBeforeAnyOtherChange) {
  model().SetAppendInterval(60000);
  const QString clip = Video("clip.avi");
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(list_->LoadFile(clip, mp4_, 3), 0);
  }
  EXPECT_EQ(tree().TopLevelCount(), 4);
  EXPECT_EQ(model().rowCount(), 1) << "the first at once, the rest with the next batch";

  tree().DeleteNode(tree().GetFirst());
  EXPECT_EQ(model().rowCount(), 3);
  ExpectAgreement("deleting while rows were waiting");

  model().SetAppendInterval(20);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(list_->LoadFile(clip, mp4_, 3), 0);
  }
  QDeadlineTimer deadline(5000);
  while (model().rowCount() < 6 && !deadline.hasExpired()) {
    QTest::qWait(5);
  }
  EXPECT_EQ(model().rowCount(), 6) << "a batch is announced once the interval has passed";
}

TEST_F(ViewTest, RefusalsShowAMessageBoxAndTheCursorComesBack) {
  const QString refused = Root("refused.avi");
  WriteFile(refused);
  EXPECT_FALSE(list_->LoadFiles({refused}, true, mp4_, 3));
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text,
            "File '" + refused + "' is not a valid media file or its format is not supported.");
  EXPECT_EQ(dialogs_.shown[0].caption, "Kestrelvine Converter");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A load whose files take 10 ms each to probe: long enough to show its progress.
class SlowLoadTest : public ViewTest {
 protected:
  static constexpr int kFiles = 200;

  QStringList SlowFiles() {
    QStringList paths;
    for (int i = 0; i < kFiles; ++i) {
      paths.push_back(Video(QStringLiteral("slow%1.avi").arg(1000 + i)));
    }
    FakeFfPreview::onProbe = [](const std::string&) { QThread::msleep(10); };
    return paths;
  }
  static QProgressDialog* Progress() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* found = widget->findChild<QProgressDialog*>(QStringLiteral("LoadProgress"))) {
        return found;
      }
      if (auto* own = qobject_cast<QProgressDialog*>(widget); own != nullptr && own->isVisible()) {
        return own;
      }
    }
    return nullptr;
  }
};

TEST_F(SlowLoadTest, ShowsHowFarItIsAndItsCancelStopsItKeepingWhatWasAdded) {
  const QStringList paths = SlowFiles();
  QString shown;
  QTimer::singleShot(900, [&] {
    QProgressDialog* progress = Progress();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isVisible());
    shown = progress->labelText();
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
  });
  EXPECT_TRUE(list_->LoadFiles(paths, true, mp4_, 3));
  EXPECT_TRUE(shown.startsWith(QStringLiteral("Adding files: "))) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QStringLiteral(" of 200"))) << shown.toStdString();
  const int rows = tree().TopLevelCount();
  EXPECT_GT(rows, 20);
  EXPECT_LT(rows, kFiles - 20) << "the load stopped at Cancel";
  EXPECT_EQ(FakeFfPreview::probes, rows) << "nothing was probed after it";
  Settle();
  EXPECT_EQ(Progress(), nullptr) << "the progress went with the load";
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SlowLoadTest, ClosingTheMainFormStopsTheLoad) {
  const QStringList paths = SlowFiles();
  QWidget form;
  int rows = -1;
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(400, [&] { form.close(); });
    list_->LoadFiles(paths, true, mp4_, 3);
    rows = tree().TopLevelCount();
  });
  app_.Run(&form);
  EXPECT_GT(rows, 0);
  EXPECT_LT(rows, kFiles) << "the load stopped when the main form closed";
}

}  // namespace
