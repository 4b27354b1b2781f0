#pragma once

#include "tasks/list_environment.h"

// The application's environment for the task list: its message loop, the busy cursor over every
// window, and message boxes through its dialogs service. Stateless apart from the cursors it set, so
// one object serves every list for the life of the process.
ListEnvironment& ApplicationListEnvironment();
