#pragma once

#include <QHash>
#include <QString>
#include <set>

// The output names the list counts as taken, with their number of holders, and for every name that
// once collided the numbers of its "-n" series that are known to be free. It answers what walking
// the whole list would answer, in amortised constant time per name added or removed:
//
// - A query costs one look-up when the name is free.
// - Otherwise the series of that name resumes where it last stopped; each step past a taken number
//   passes a name added since, and a freed number below that point is remembered in the series'
//   gaps, so the smallest free number is found without walking from 1.
class OutputNameIndex {
 public:
  void Add(const QString& name);
  void Remove(const QString& name);
  void Clear();
  int Holders(const QString& name) const { return counts_.value(name); }

  // `name` when no holder but the asker has it; otherwise `name` numbered with the smallest n >= 1 no
  // other holder has. `own` is the name the asker itself is counted under, or null when it is not
  // counted.
  QString Unique(const QString& name, const QString* own);

 private:
  struct Series {
    int next = 1;        // every number below it is taken or in `gaps`
    std::set<int> gaps;  // free numbers below `next`
  };

  bool Taken(const QString& name) const { return counts_.contains(name); }
  int SmallestFree(const QString& name);

  QHash<QString, int> counts_;
  QHash<QString, Series> series_;
};
