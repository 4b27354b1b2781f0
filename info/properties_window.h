#pragma once

#include <QDialog>

#include "app/ui_context.h"

class QLabel;
class TssSkinButton;
class TssSkinForm;
struct MuiItemInfo;

// The Properties window: the resolution, frame rate and encoder of an item's video and the sample
// rate, channels and encoder of its chosen audio track. Every value reads "N/A" until FillInfo.
// Its picture is productFolder + "Skins/form_properties.png", or the one built into the program. The
// help button hands the product's help file to the shell; both close buttons reject. UI thread only.
class TPropertiesForm1 : public QDialog {
  Q_OBJECT

 public:
  TPropertiesForm1(const UiContext& ui, QWidget* owner);

  // Shows what the item's probe found; always true.
  bool FillInfo(const MuiItemInfo& item);

 private:
  void BuildFrame();
  void BuildCards();
  void SBtnHelpClick();

  UiContext ui_;

  TssSkinForm* ssSkinForm1;
  QLabel* lblTitle;
  TssSkinButton* SBtnHelp;
  TssSkinButton* SBtnClose;
  TssSkinButton* ssSkinButton1;
  QLabel* lblResInfo;
  QLabel* lblFrameRateinfo;
  QLabel* lblVCodecInfo;
  QLabel* lblAudioSampRateinfo;
  QLabel* lblChannelsinfo;
  QLabel* lblACodecInfo;
};
