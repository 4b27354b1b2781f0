#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "components/engine_records.h"

class ConverterSettings;
class TVirtualStringTreeHelper;

// What the main window's start action asks to convert.
struct ConversionRequest {
  TVirtualStringTreeHelper* list = nullptr;
  ConverterSettings* catalogue = nullptr;
  QString destination;  // the text of the destination box
  // The bytes free in a folder (-1: unknown); empty: what the file system says (AvailableBytes).
  std::function<int64_t(const QString& folder)> freeSpace = {};
};

// How planning talks to the user; either may be empty (nothing is replaced, nobody is told).
struct PlanCallbacks {
  // An output `name` exists in the destination: may it be replaced?
  std::function<bool(const QString& name)> mayReplace;
  // Why an item's output went elsewhere or the item is left out.
  std::function<void(const QString& text)> tell;
};

// One job for the engine: one input, or the parts of a merged item in order.
struct PlannedJob {
  const CIOutput* output = nullptr;  // the item's own record, filled in; lives as long as the item
  std::vector<CIInput> inputs;
  bool merge = false;
  QString path;  // the output file
};

struct ConversionPlan {
  std::vector<PlannedJob> jobs;
};

// Plans the conversion of the checked items of the list: creates the destination folder (no jobs when
// that fails or nothing is checked), fills each item's output record from its profile (the catalogue's
// profile of that number, else the item's own copy), resolves its output path, rescales its watermark
// to the output size, and builds one job per item (a merged item is one job of its parts). No job
// writes over a file the batch reads, whatever `mayReplace` answers: such an output goes to a free
// numbered name and the user is told why. No two jobs write one file. An output path too long for the
// output record is left out with a message.
ConversionPlan PlanConversion(const ConversionRequest& request, const PlanCallbacks& callbacks);
