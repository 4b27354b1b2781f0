#include "plug/plug_table.h"
#include "run/kestrelvine.h"

// Registers the module object when the module is loaded, before the host can call anything here.
static AutoReg g_kestrelvineReg(kKestrelvineName, &NewKestrelvine);
