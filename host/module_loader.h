#pragma once

#include <string>
#include <vector>

// Loads every module library ("*.so") of a plug-in folder, in name order, so that each registers its
// components. The libraries stay loaded for the life of the process.
struct ModuleLoadResult {
  std::vector<std::string> loaded;  // paths, in load order
  std::string error;                // empty on success; one line naming what is missing
};

ModuleLoadResult LoadModules(const std::string& pluginFolder);

// The folder of the running executable, ending in "/".
std::string ExecutableFolder8();
