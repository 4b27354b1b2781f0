#pragma once

#include "app/ui_context.h"
#include "platform/application.h"
#include "tests/app/context_test_env.h"
#include "tests/fakes/recording_shell.h"
#include "tests/fakes/scripted_dialogs.h"

// The context of ContextTest and an application object with the scripted dialogs and the recording
// shell as its services; Ui() hands both to a window.
class AppTest : public ContextTest {
 protected:
  UiContext Ui() { return UiContext{context_, app_}; }

  ScriptedDialogs dialogs_;
  RecordingShell shell_;
  platform::Application app_{dialogs_, shell_};
};
