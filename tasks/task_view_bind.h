#pragma once

#include <QString>

#include "tasks/task_list.h"
#include "tasks/vstlist.h"

class ListEnvironment;

// Binds the task list to its view: the list's handlers on the view's tree with `outputColumn` as the
// editable column, `environment` (which must outlive the list's loads), and the item images of
// `productFolder`. Either of list and view may go first: a view that goes first takes its tree along
// and leaves the list unbound.
void Bind(VstList& view, TVirtualStringTreeHelper& list, int outputColumn, ListEnvironment& environment,
          const QString& productFolder);
