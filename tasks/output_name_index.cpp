#include "tasks/output_name_index.h"

#include <algorithm>

#include "tasks/output_names.h"

void OutputNameIndex::Add(const QString& name) {
  if (++counts_[name] != 1) {
    return;
  }
  if (const auto split = output_names::SplitNumbered(name)) {
    const auto series = series_.find(split->base);
    if (series != series_.end()) {
      series->gaps.erase(split->number);
    }
  }
}

void OutputNameIndex::Remove(const QString& name) {
  const auto count = counts_.find(name);
  if (count == counts_.end()) {
    return;
  }
  if (--count.value() > 0) {
    return;
  }
  counts_.erase(count);
  if (const auto split = output_names::SplitNumbered(name)) {
    const auto series = series_.find(split->base);
    if (series != series_.end() && split->number < series->next) {
      series->gaps.insert(split->number);
    }
  }
}

void OutputNameIndex::Clear() {
  counts_.clear();
  series_.clear();
}

int OutputNameIndex::SmallestFree(const QString& name) {
  Series& series = series_[name];
  if (!series.gaps.empty()) {
    return *series.gaps.begin();
  }
  while (Taken(output_names::Numbered(name, series.next))) {
    ++series.next;
  }
  return series.next;
}

QString OutputNameIndex::Unique(const QString& name, const QString* own) {
  const int holders = Holders(name) - (own != nullptr && *own == name ? 1 : 0);
  if (holders <= 0) {
    return name;
  }
  int number = SmallestFree(name);
  // The asker's own numbered name is free for the asker alone.
  if (own != nullptr && Holders(*own) == 1) {
    if (const auto split = output_names::SplitNumbered(*own); split && split->base == name) {
      number = std::min(number, split->number);
    }
  }
  return output_names::Numbered(name, number);
}
