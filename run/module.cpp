#include "run/kestrelvine.h"
#include "plug/plug_table.h"

// Registers the module object when the module is loaded, before the host can call anything here.
static AutoReg g_kestrelvineReg(kKestrelvineName, &NewKestrelvine);
