#include <cstdio>
#include <filesystem>
#include <string>

#include "components/i_kestrelvine.h"
#include "host/module_loader.h"
#include "plug/plug_table.h"

namespace {
constexpr char kProductName[] = "Kestrelvine Converter";
}

int main() {
  const std::string folder = ExecutableFolder8();
  const ModuleLoadResult modules = LoadModules(folder + "plugins");
  if (!modules.error.empty()) {
    std::fprintf(stderr, "kestrelvine: %s\n", modules.error.c_str());
    return 1;
  }
  I_Plug* plug = CreateComponent(kKestrelvineName);
  if (plug == nullptr) {
    std::fprintf(stderr, "kestrelvine: no module in %splugins registers the component \"%s\"\n",
                 folder.c_str(), kKestrelvineName);
    return 1;
  }
  auto* module = static_cast<I_Kestrelvine*>(plug);
  const std::string icon = folder + "sys/soft/" + kProductName + "/Skins/kestrelvine.png";
  std::error_code error;
  module->Run(std::filesystem::exists(icon, error) ? icon.c_str() : nullptr, kProductName, "", "", "");
  module->Release();
  return 0;
}
