#pragma once

#include <QAction>
#include <QComboBox>
#include <QString>
#include <QStringList>

#include "components/text_utf.h"
#include "mainwin/main_window.h"
#include "tasks/task_tree.h"
#include "tasks/vstlist.h"
#include "tests/fakes/scripted_dialogs.h"

namespace recovery_script {

// What the fake engine answers for the n-th file of the script: a video with two audio tracks and two
// subtitles, of a length of its own.
inline MediaInfo ScriptMedia(int n) {
  MediaInfo m{};
  m.duration = 30.5 + n * 7.25;
  m.videoCount = 1;
  m.width = 320;
  m.height = 240;
  m.aspectNum = 4;
  m.aspectDen = 3;
  m.frameRateNum = 25;
  m.frameRateDen = 1;
  CopyTextToField(m.videoCodec, sizeof m.videoCodec, "mpeg4");
  for (int i = 0; i < 2; ++i) {
    m.audioStreams[i].id = 0x80 + i;
    m.audioStreams[i].sampleRate = 44100;
    CopyTextToField(m.audioStreams[i].channels, sizeof m.audioStreams[i].channels, "stereo");
    CopyTextToField(m.audioStreams[i].codec, sizeof m.audioStreams[i].codec, "mp3");
    CopyTextToField(m.audioStreams[i].tag, sizeof m.audioStreams[i].tag, i == 0 ? "eng" : "spa");
    m.subtitleStreams[i].id = 0x20 + i;
    CopyTextToField(m.subtitleStreams[i].tag, sizeof m.subtitleStreams[i].tag, "ita");
  }
  m.audioCount = 2;
  m.subtitleCount = 2;
  return m;
}

// Builds, through the window as a user would, a list with every kind of edit: four files added
// through the file dialog; the first trimmed, cropped, zoomed and adjusted, with its second audio
// track and a subtitle chosen; the second with a text watermark; the third renamed, unchecked and
// given another profile; the first two merged, one part trimmed on its own. Empty text when it all
// went as planned, else what went wrong.
inline QString BuildEditedList(TConverterForm1& form, ScriptedDialogs& dialogs, const QStringList& files) {
  TaskTree& tree = form.VstList->Tree();
  TVirtualStringTreeHelper& list = form.TaskList();
  dialogs.fileChoices.push_back(files);
  form.actions.AddFileAct->trigger();
  if (tree.TopLevelCount() != files.size()) {
    return QStringLiteral("%1 of %2 files were added").arg(tree.TopLevelCount()).arg(files.size());
  }
  auto focus = [&](TaskNode* node) {
    tree.ClearSelection();
    tree.SetSelected(node, true);
    tree.SetFocusedNode(node);
  };
  auto choose = [](QComboBox* box, int row) {
    box->setCurrentIndex(row);
    emit box->activated(row);
  };
  TaskNode* first = tree.Root()->ChildAt(0);
  TaskNode* second = tree.Root()->ChildAt(1);
  TaskNode* third = tree.Root()->ChildAt(2);

  focus(first);
  MuiItemInfo& a = *first->Item();
  double old = a.input.clipLength;
  a.input.clipStart = 2.5;
  a.input.clipLength = 11.75;
  a.input.cropX = 8;
  a.input.cropY = 4;
  a.input.cropWidth = 300;
  a.input.cropHeight = 200;
  a.input.zoomMode = 3;
  a.input.effects.brightness = 25;
  a.input.effects.contrast = -10.5;
  a.input.effects.saturation = 60;
  a.input.effects.volume = 300;
  list.AfterClipEdit(&a, old, false);
  choose(form.cboAudio, 1);
  choose(form.cboSubtitle, 2);

  MuiItemInfo& b = *second->Item();
  b.watermark.enabled = true;
  b.watermark.type = 1;
  b.watermark.text = u"Kestrel ✓";
  b.watermark.font = "Sans,20,-1,5,400,0,0,0,0,0|#ffffff";
  b.watermark.textImage = u"/tmp/TxtImg0.bmp";
  b.watermark.markFile = "/tmp/TxtImg0.bmp";
  b.watermark.refWidth = 264;
  b.watermark.refHeight = 198;
  b.input.mark = {b.watermark.markFile.c_str(), 12, 14, 80, 20, 40};
  list.AfterClipEdit(&b, b.input.clipLength, false);

  focus(third);
  const int otherProfile = form.CmbProfile->findText(QStringLiteral("MP4 Small"));
  if (otherProfile < 0) {
    return QStringLiteral("the profile box has no \"MP4 Small\"");
  }
  choose(form.CmbProfile, otherProfile);
  third->Item()->SetOutputName(QStringLiteral("Renamed – third.mp4"));
  tree.SetCheckState(third, CheckState::UncheckedNormal);

  tree.ClearSelection();
  tree.SetSelected(first, true);
  tree.SetSelected(second, true);
  tree.SetFocusedNode(first);
  // Actions follow the selection when the window goes idle; the user's click comes after that.
  form.UpdateActions();
  form.actions.ActMerge->trigger();
  TaskNode* merged = tree.GetLastTopLevel();
  if (merged->ChildCount() != 2) {
    return QStringLiteral("the merged item has %1 parts").arg(merged->ChildCount());
  }
  MuiItemInfo& part = *merged->ChildAt(1)->Item();
  old = part.input.clipLength;
  part.input.clipStart = 5;
  part.input.clipLength = 9;
  list.AfterClipEdit(&part, old, false);
  return {};
}

}  // namespace recovery_script
