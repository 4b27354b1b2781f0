#pragma once

#include "tasks/task_list.h"
#include "tasks/vstlist.h"

// Binds the task list to its view: the list's handlers on the view's tree with `outputColumn` as the
// editable column, the application's environment, and the item images of the published product
// folder. Either may go first: a view that goes first takes its tree along and leaves the list unbound.
void Bind(VstList& view, TVirtualStringTreeHelper& list, int outputColumn);
