#include "plug/plug_table.h"

#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <string>

#include "plug/plug_ptr.h"

// The table is published in an environment variable of the process named "<pid>Plug3.0": it is
// private to the process and dies with it. Its value holds the anchor's address and the process's
// start time, so a variable inherited by a later process that happens to get the same id is not
// mistaken for a live table.
//
// The anchor's `mapping` field points at a PlugSlot, the handle that keeps the slot published. It
// counts the registrars that joined the table, so the table lives until the last of them goes,
// whichever module created it.

namespace {

struct PlugSlot {
  char name[kPlugNameSize];
  int32_t registrars;
};

std::string ReadProcessStartTime() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The command name in parentheses may hold blanks; the fields after it are plain. The start time
  // is field 22, the 20th after the closing parenthesis.
  const auto close = text.rfind(')');
  if (close == std::string::npos) {
    return {};
  }
  size_t pos = close + 1;
  for (int field = 3; field <= 22; ++field) {
    pos = text.find_first_not_of(' ', pos);
    if (pos == std::string::npos) {
      return {};
    }
    const size_t end = text.find(' ', pos);
    if (field == 22) {
      return text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    }
    pos = end;
  }
  return {};
}

// Read once per process: every component creation looks the table up, and the start time cannot change.
// A forked child has another id, so it reads its own.
std::string ProcessStartTime() {
  static pid_t cachedFor = -1;
  static std::string cached;
  if (cachedFor != getpid()) {
    cached = ReadProcessStartTime();
    cachedFor = getpid();
  }
  return cached;
}

std::string SlotValue(const PlugTableAnchor* anchor) {
  char address[32];
  std::snprintf(address, sizeof address, "%" PRIxPTR, reinterpret_cast<uintptr_t>(anchor));
  return std::string(address) + ":" + ProcessStartTime();
}

PlugTableAnchor* OpenPlugAnchor() {
  char name[kPlugNameSize];
  BuildPlugMappingName(static_cast<uint32_t>(getpid()), name);
  const char* value = std::getenv(name);
  if (value == nullptr) {
    return nullptr;
  }
  const char* colon = std::strchr(value, ':');
  if (colon == nullptr || ProcessStartTime() != colon + 1) {
    return nullptr;
  }
  return reinterpret_cast<PlugTableAnchor*>(static_cast<uintptr_t>(std::strtoull(value, nullptr, 16)));
}

void ClosePlugTable(PlugTableAnchor* anchor) {
  auto* slot = static_cast<PlugSlot*>(anchor->mapping);
  unsetenv(slot->name);
  delete slot;
  delete anchor->table;
  delete anchor;
}

bool NameFits(const char* name) {
  return name != nullptr && std::strlen(name) < kPlugNameSize;
}

}  // namespace

void BuildPlugMappingName(uint32_t processId, char (&out)[kPlugNameSize]) {
  std::memset(out, 0, sizeof out);
  std::snprintf(out, sizeof out, "%" PRIu32 "Plug3.0", processId);
}

std::string PlugMappingName(uint32_t processId) {
  char name[kPlugNameSize];
  BuildPlugMappingName(processId, name);
  return name;
}

PlugModuleManage* OpenPlugTable() {
  PlugTableAnchor* anchor = OpenPlugAnchor();
  return anchor == nullptr ? nullptr : anchor->table;
}

PlugTableAnchor* CreatePlugTable() {
  auto* slot = new (std::nothrow) PlugSlot{};
  auto* anchor = new (std::nothrow) PlugTableAnchor{};
  if (slot == nullptr || anchor == nullptr) {
    delete slot;
    delete anchor;
    return nullptr;
  }
  BuildPlugMappingName(static_cast<uint32_t>(getpid()), slot->name);
  anchor->mapping = slot;
  if (setenv(slot->name, SlotValue(anchor).c_str(), 1) != 0) {
    delete slot;
    delete anchor;
    return nullptr;
  }
  return anchor;
}

PlugEntry* FindPlugEntry(PlugModuleManage* table, const char* name) {
  if (table == nullptr || name == nullptr) {
    return nullptr;
  }
  for (int32_t i = 0; i < table->count; ++i) {
    if (std::strcmp(table->entries[i].name, name) == 0) {
      return &table->entries[i];
    }
  }
  return nullptr;
}

void RemovePlugEntry(PlugModuleManage* table, const char* name) {
  PlugEntry* entry = FindPlugEntry(table, name);
  if (entry == nullptr) {
    return;
  }
  PlugEntry* end = table->entries + table->count;
  std::memmove(entry, entry + 1, static_cast<size_t>(end - (entry + 1)) * sizeof(PlugEntry));
  --table->count;
}

I_Plug* CreateComponent(const char* name) {
  if (!NameFits(name)) {
    return nullptr;
  }
  char wanted[kPlugNameSize] = {};
  std::strcpy(wanted, name);
  PlugEntry* entry = FindPlugEntry(OpenPlugTable(), wanted);
  if (entry == nullptr || entry->factory == nullptr) {
    return nullptr;
  }
  I_Plug* object = nullptr;
  try {
    object = entry->factory();
    if (object != nullptr && object->InitInstance()) {
      return object;
    }
  } catch (...) {
  }
  // An object whose preparation failed or threw is unusable: give up the creation reference.
  if (object != nullptr) {
    try {
      object->Release();
    } catch (...) {
    }
  }
  return nullptr;
}

AutoReg::AutoReg(const char* name, PlugFactory factory) {
  if (!NameFits(name)) {
    std::fprintf(stderr, "Plug3.0: refused to register \"%s\": a component name has at most %d characters\n",
                 name == nullptr ? "" : name, kPlugNameSize - 1);
    return;
  }
  std::strcpy(name_, name);
  anchor_ = OpenPlugAnchor();
  if (anchor_ == nullptr) {
    anchor_ = CreatePlugTable();
    auto* table = anchor_ == nullptr ? nullptr : new (std::nothrow) PlugModuleManage;
    if (table == nullptr) {
      if (anchor_ != nullptr) {
        ClosePlugTable(anchor_);
        anchor_ = nullptr;
      }
      std::fprintf(stderr, "Plug3.0: refused to register \"%s\": the component table cannot be created\n",
                   name);
      return;
    }
    table->count = 0;
    anchor_->table = table;
    owner_ = true;
  }
  table_ = anchor_->table;
  ++static_cast<PlugSlot*>(anchor_->mapping)->registrars;
  if (factory == nullptr) {
    return;
  }
  if (table_->count >= kPlugTableCapacity) {
    std::fprintf(stderr, "Plug3.0: refused to register \"%s\": the component table is full (%d entries)\n",
                 name, kPlugTableCapacity);
    return;
  }
  // Creation takes the first entry of a name, so a second module registering it is silently
  // ignored; say so, since it usually means two builds of a module sit in the plug-in folder.
  if (FindPlugEntry(table_, name_) != nullptr) {
    std::fprintf(stderr, "Plug3.0: \"%s\" is registered twice; the first registration is used\n", name_);
  }
  PlugEntry& entry = table_->entries[table_->count];
  std::memset(entry.name, 0, sizeof entry.name);
  std::strcpy(entry.name, name_);
  entry.factory = factory;
  ++table_->count;
  registered_ = true;
}

AutoReg::~AutoReg() {
  if (anchor_ == nullptr) {
    return;
  }
  // Only an entry this registrar added is removed: a refused registrar must not take away another
  // module's entry of the same name.
  if (registered_) {
    RemovePlugEntry(table_, name_);
  }
  auto* slot = static_cast<PlugSlot*>(anchor_->mapping);
  if (--slot->registrars == 0) {
    ClosePlugTable(anchor_);
  }
}

void PlugAssertFailed(PlugPrecondition broken) {
  const bool receive = broken == PlugPrecondition::kEmptyBeforeReceive;
  std::fprintf(stderr, "Assertion failed: %s, file plug_auto_ptr, line %d\n", receive ? "p==NULL" : "p!=NULL",
               receive ? 65 : 70);
  std::fflush(stderr);
  std::abort();
}
