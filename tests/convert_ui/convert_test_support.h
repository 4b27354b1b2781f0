#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

#include "components/i_ff_converter.h"
#include "components/i_save_option_xml.h"
#include "convert/progress_state.h"
#include "convert/shutdown_countdown.h"
#include "engines/optionxml/save_option_xml.h"
#include "platform/application.h"
#include "plug/plug_table.h"
#include "tests/convert_ui/scripted_ff_converter.h"
#include "tests/fakes/recording_notifier.h"
#include "tests/fakes/recording_shutdown.h"

// The services a conversion window needs, all recording: the scripted engine registered as
// "FfConverter", the option store, a shutdown service that powers nothing off, a notifier that shows
// nothing, and a wall clock moved by hand.
class ConvertServices {
 protected:
  void InstallServices(platform::Application& app) {
    ScriptedFfConverter::Reset();
    app.SetShutdown(shutdown_);
    app.SetNotifier(notifier_);
  }
  void RemoveServices() { ScriptedFfConverter::Reset(); }

  // Cancels the countdown window as soon as it is shown; `seen` tells whether it was. The watch ends
  // with `context`.
  void CancelCountdownWhenShown(QObject* context) {
    QTimer::singleShot(0, context, [this] {
      for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* countdown = qobject_cast<TAutoShutDown_Form1*>(window);
        if (countdown != nullptr && countdown->isVisible()) {
          countdownSeen_ = true;
          auto* cancel = countdown->findChild<QPushButton*>(QStringLiteral("Button1"));
          ASSERT_NE(cancel, nullptr);
          cancel->click();
        }
      }
    });
  }

  WallClock Clock() {
    return [this] { return now_; };
  }

  int64_t now_ = 1'700'000'000;
  bool countdownSeen_ = false;
  RecordingShutdown shutdown_;
  RecordingNotifier notifier_;
  std::optional<AutoReg> converter_{std::in_place, kFfConverterName, &ScriptedFfConverter::Make};
  std::optional<AutoReg> optionStore_{std::in_place, kSaveOptionXmlName, &CreateSaveOptionXml};
};
