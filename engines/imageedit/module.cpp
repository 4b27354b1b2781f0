#include "components/i_edit.h"
#include "engines/imageedit/image_edit.h"
#include "plug/plug_table.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

// FFmpeg's log settings belong to the whole process; like the media engine, this module keeps the GIF
// encoder's diagnostics off the program's standard error.
const bool logSilenced = (av_log_set_level(AV_LOG_QUIET), true);

// Registered while the module is loaded; unloading it takes the entry away again.
const AutoReg registrar(kEditName, &CreateImageEdit);

}  // namespace
