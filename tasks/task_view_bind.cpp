#include "tasks/task_view_bind.h"

#include "app/mui_context.h"
#include "tasks/item_images.h"
#include "tasks/qt_list_environment.h"

void Bind(VstList& view, TVirtualStringTreeHelper& list, int outputColumn) {
  list.Bind(view.Tree(), outputColumn);
  list.SetEnvironment(&ApplicationListEnvironment());
  const MuiContext* context = CurrentContext();
  view.Model()->SetImages(LoadItemImages(context != nullptr ? context->productFolder : QString()));
}
