#include "tasks/task_view_bind.h"

#include "tasks/item_images.h"

void Bind(VstList& view, TVirtualStringTreeHelper& list, int outputColumn, ListEnvironment& environment,
          const QString& productFolder) {
  list.Bind(view.Tree(), outputColumn);
  list.SetEnvironment(&environment);
  view.Model()->SetImages(LoadItemImages(productFolder));
}
