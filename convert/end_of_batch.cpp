#include "convert/end_of_batch.h"

#include <algorithm>

#include "components/i_ff_converter.h"

BatchEnd DecideBatchEnd(const BatchEndFacts& facts) {
  BatchEnd end;
  if (facts.status == kConvertStopped) {
    return end;
  }
  end.notify = !facts.windowActive;
  const bool finished = facts.status == kConvertFinished;
  if (finished && facts.shutDownTicked) {
    end.action = BatchEndAction::kCountdown;
  } else if (finished && facts.openFolderTicked) {
    end.action = BatchEndAction::kClose;
  } else {
    end.action = BatchEndAction::kSummary;
  }
  return end;
}

BatchCounts CountResults(const std::vector<int32_t>& results) {
  BatchCounts counts;
  counts.total = static_cast<int>(results.size());
  counts.success =
      static_cast<int>(std::count_if(results.begin(), results.end(), [](int32_t r) { return r != 0; }));
  return counts;
}
