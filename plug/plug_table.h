#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "plug/i_plug.h"

// The per-process "Plug3.0" table of named component factories. Modules built separately find each
// other through it, so the layout of these records is a contract: every field keeps its type, size and
// order; only pointers take the native width.

inline constexpr int kPlugNameSize = 32;  // 31 characters and the terminator
inline constexpr int kPlugTableCapacity = 256;

struct PlugEntry {
  char name[kPlugNameSize];
  PlugFactory factory;
};

struct PlugModuleManage {
  PlugEntry entries[kPlugTableCapacity];  // registration order
  int32_t count;                          // entries 0 .. count-1 are valid
};

struct PlugTableAnchor {
  void* mapping;  // the slot that publishes this anchor; see plug_table.cpp
  PlugModuleManage* table;
};

static_assert(offsetof(PlugEntry, factory) == kPlugNameSize);
static_assert(sizeof(PlugEntry) == kPlugNameSize + sizeof(void*));
static_assert(offsetof(PlugModuleManage, count) == kPlugTableCapacity * sizeof(PlugEntry));
static_assert(offsetof(PlugTableAnchor, table) == sizeof(void*));
#if defined(__i386__)
static_assert(sizeof(PlugEntry) == 36);
static_assert(offsetof(PlugModuleManage, count) == 9216);
static_assert(sizeof(PlugModuleManage) == 9220);
static_assert(sizeof(PlugTableAnchor) == 8);
#endif

// The slot name of a process: its id in decimal followed by "Plug3.0", built in a zeroed 32-byte buffer.
void BuildPlugMappingName(uint32_t processId, char (&out)[kPlugNameSize]);
std::string PlugMappingName(uint32_t processId);

// The table of this process, or null when none exists yet. Looked up afresh on every call.
PlugModuleManage* OpenPlugTable();
// Publishes a new anchor for this process (its table field is filled by the caller); null on failure.
PlugTableAnchor* CreatePlugTable();

// First entry whose whole name equals `name` (case-sensitive), or null.
PlugEntry* FindPlugEntry(PlugModuleManage* table, const char* name);
// Removes the first entry named `name`, keeping the order of the rest; nothing when absent.
void RemovePlugEntry(PlugModuleManage* table, const char* name);

// A new, initialised component with one reference owned by the caller, or null on any failure
// (unknown name, no table, a name of 32 characters or more, InitInstance false, an exception).
I_Plug* CreateComponent(const char* name);

// Registers one factory for as long as it lives; a module keeps one static AutoReg per name.
// A name of 32 characters or more, or a full table, is refused with a line on stderr rather than
// written past the table. The table stays alive while any registrar that joined it lives, so
// registrars may be destroyed in any order.
class AutoReg {
 public:
  AutoReg(const char* name, PlugFactory factory);
  ~AutoReg();
  AutoReg(const AutoReg&) = delete;
  AutoReg& operator=(const AutoReg&) = delete;

  // True when this registrar's entry was added to the table.
  bool Registered() const { return registered_; }
  // True when this registrar created the table.
  bool Owner() const { return owner_; }

 private:
  char name_[kPlugNameSize] = {};
  bool owner_ = false;
  PlugModuleManage* table_ = nullptr;
  PlugTableAnchor* anchor_ = nullptr;
  bool registered_ = false;
};
