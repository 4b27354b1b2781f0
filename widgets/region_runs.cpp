#include "widgets/region_runs.h"

#include <algorithm>

namespace skin {

namespace {

std::vector<RegionRect> RowRuns(const Rgb888View& picture, int y, ColorRef key) {
  std::vector<RegionRect> runs;
  const uint8_t* row = picture.bits + y * picture.stride;
  int start = -1;
  for (int x = 0; x < picture.width; ++x) {
    const uint8_t* p = row + 3 * x;
    const bool opaque = MakeColorRef(p[0], p[1], p[2]) != key;
    if (opaque && start < 0) {
      start = x;
    } else if (!opaque && start >= 0) {
      runs.push_back({start, y, x - start, 1});
      start = -1;
    }
  }
  if (start >= 0) {
    runs.push_back({start, y, picture.width - start, 1});
  }
  return runs;
}

bool SameColumns(const std::vector<RegionRect>& a, const std::vector<RegionRect>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const RegionRect& x, const RegionRect& y) {
    return x.left == y.left && x.width == y.width;
  });
}

bool Usable(const Rgb888View& picture) {
  return picture.bits != nullptr && picture.width > 0 && picture.height > 0 &&
         picture.stride >= std::ptrdiff_t(3) * picture.width;
}

}  // namespace

std::vector<RegionRect> OpaqueRuns(const Rgb888View& picture, ColorRef key) {
  std::vector<RegionRect> all;
  if (!Usable(picture)) {
    return all;
  }
  for (int y = 0; y < picture.height; ++y) {
    const std::vector<RegionRect> row = RowRuns(picture, y, key);
    all.insert(all.end(), row.begin(), row.end());
  }
  return all;
}

std::vector<RegionRect> OpaqueBands(const Rgb888View& picture, ColorRef key) {
  std::vector<RegionRect> bands;
  if (!Usable(picture)) {
    return bands;
  }
  std::vector<RegionRect> open;  // the band being grown: the runs of its first row, heights so far
  for (int y = 0; y < picture.height; ++y) {
    std::vector<RegionRect> row = RowRuns(picture, y, key);
    if (!open.empty() && SameColumns(open, row)) {
      for (RegionRect& r : open) {
        ++r.height;
      }
      continue;
    }
    bands.insert(bands.end(), open.begin(), open.end());
    open = std::move(row);
  }
  bands.insert(bands.end(), open.begin(), open.end());
  return bands;
}

}  // namespace skin
