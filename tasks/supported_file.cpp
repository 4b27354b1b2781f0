#include "tasks/supported_file.h"

#include "settings/input_formats.h"
#include "tasks/item_factory.h"

bool IsSupportedFile(const MuiContext& context, const QString& path) {
  const QString name = FileNameOf(path);
  const qsizetype dot = name.lastIndexOf(u'.');
  return IsSupportedPattern(context, u'*' + (dot < 0 ? QString() : name.mid(dot)));
}
