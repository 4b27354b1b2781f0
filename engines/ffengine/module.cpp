#include "components/i_ff_converter.h"
#include "components/i_ff_preview.h"
#include "components/i_ff_probe_pool.h"
#include "engines/ffengine/ff_converter.h"
#include "engines/ffengine/ff_log.h"
#include "engines/ffengine/ff_preview.h"
#include "engines/ffengine/probe_pool.h"
#include "plug/plug_table.h"

namespace {

// Before any component can be created, so that no probe writes to the program's standard error.
const bool logSilenced = (ffengine::SilenceFfmpegLog(), true);

// Registered while the module is loaded; unloading it takes the entry away again.
const AutoReg previewRegistrar(kFfPreviewName, &CreateFfPreview);
const AutoReg probePoolRegistrar(kFfProbePoolName, &CreateFfProbePool);
const AutoReg converterRegistrar(kFfConverterName, [] { return static_cast<I_Plug*>(NewFfConverter()); });

}  // namespace
