#include "components/i_save_option_xml.h"
#include "engines/optionxml/save_option_xml.h"
#include "plug/plug_table.h"

namespace {

// Registered while the module is loaded; unloading it takes the entry away again.
const AutoReg registrar(kSaveOptionXmlName, &CreateSaveOptionXml);

}  // namespace
