#include "host/module_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

ModuleLoadResult LoadModules(const std::string& pluginFolder) {
  ModuleLoadResult result;
  std::vector<fs::path> libraries;
  std::error_code error;
  for (fs::directory_iterator it(pluginFolder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".so" && it->is_regular_file(error)) {
      libraries.push_back(it->path());
    }
  }
  if (libraries.empty()) {
    result.error = "no module libraries in the plug-in folder " + pluginFolder;
    return result;
  }
  std::sort(libraries.begin(), libraries.end());
  for (const fs::path& library : libraries) {
    if (dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL) == nullptr) {
      const char* why = dlerror();
      result.error =
          "cannot load the module " + library.string() + ": " + (why != nullptr ? why : "unknown error");
      return result;
    }
    result.loaded.push_back(library.string());
  }
  return result;
}

std::string ExecutableFolder8() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string("./") : exe.parent_path().string() + "/";
}
