#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "components/i_kestrelvine.h"
#include "host/module_loader.h"
#include "plug/plug_table.h"

namespace {

constexpr char kProductName[] = "Kestrelvine Converter";

constexpr char kUsage[] =
    "Usage: kestrelvine [--help] [--version] [FILE|FOLDER]...\n"
    "Starts the Kestrelvine Converter window and adds the files and folders given (folders with\n"
    "everything in them), as a drop of them on the window would.\n"
    "\n"
    "  --help      print this text and exit\n"
    "  --version   print the version and exit\n"
    "\n"
    "kestrelvine-cli, beside it, converts from the command line without a window.\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before anything is loaded, so that they work without a display.
  std::vector<std::string> paths;
  bool optionsEnd = false;
  for (int i = 1; i < argc; ++i) {
    if (optionsEnd || argv[i][0] != '-' || std::strcmp(argv[i], "-") == 0) {
      // The window may run in another folder's name: the paths are made whole here.
      std::error_code error;
      const std::filesystem::path whole = std::filesystem::absolute(argv[i], error);
      paths.push_back(error ? std::string(argv[i]) : whole.lexically_normal().string());
      continue;
    }
    if (std::strcmp(argv[i], "--") == 0) {
      optionsEnd = true;
      continue;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s %s\n", kProductName, KV_VERSION);
      return 0;
    }
    std::fprintf(stderr, "kestrelvine: unknown argument '%s'\n%s", argv[i], kUsage);
    return 2;
  }
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
  if (!paths.empty()) {
    std::vector<const char*> texts;
    for (const std::string& path : paths) {
      texts.push_back(path.c_str());
    }
    module->SetStartupPaths(texts.data(), static_cast<int32_t>(texts.size()));
  }
  const std::string icon = folder + "sys/soft/" + kProductName + "/Skins/kestrelvine.png";
  std::error_code error;
  module->Run(std::filesystem::exists(icon, error) ? icon.c_str() : nullptr, kProductName, "", "", "");
  module->Release();
  return 0;
}
