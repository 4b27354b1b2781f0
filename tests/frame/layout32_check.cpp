// Compiled with -m32 only: the factory table keeps its 32-bit layout (the static_asserts of the header
// for __i386__), and the pointer-width fields are where separately built modules expect them.
#include <cstddef>

#include "plug/plug_table.h"

static_assert(sizeof(void*) == 4, "build this check with -m32");
static_assert(offsetof(PlugEntry, name) == 0);
static_assert(offsetof(PlugEntry, factory) == 32);
static_assert(sizeof(PlugEntry) == 36);
static_assert(offsetof(PlugModuleManage, entries) == 0);
static_assert(offsetof(PlugModuleManage, count) == 9216);
static_assert(sizeof(PlugModuleManage) == 9220);
static_assert(offsetof(PlugTableAnchor, mapping) == 0);
static_assert(offsetof(PlugTableAnchor, table) == 4);
static_assert(sizeof(PlugTableAnchor) == 8);
