#include "convert/end_of_batch.h"

#include <gtest/gtest.h>

#include "components/i_ff_converter.h"

namespace {

constexpr int32_t kEngineError = -1;

TEST(DecideBatchEnd, FollowsTheTable) {
  using enum BatchEndAction;
  const struct {
    const char* what;
    BatchEndFacts facts;
    bool notify;
    BatchEndAction action;
  } cases[] = {
      {"a stop closes quietly, whatever is ticked", {kConvertStopped, false, true, true}, false, kClose},
      {"finished, nothing ticked: the summary", {kConvertFinished, true, false, false}, false, kSummary},
      {"finished with shut-down: the countdown wins",
       {kConvertFinished, true, true, true},
       false,
       kCountdown},
      {"finished with open-folder: close", {kConvertFinished, true, false, true}, false, kClose},
      {"an error never counts down or opens", {kEngineError, true, true, true}, false, kSummary},
      {"a user looking elsewhere is notified", {kConvertFinished, false, false, false}, true, kSummary},
      {"also when the window closes at once", {kConvertFinished, false, false, true}, true, kClose},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const BatchEnd end = DecideBatchEnd(c.facts);
    EXPECT_EQ(end.notify, c.notify);
    EXPECT_EQ(end.action, c.action);
  }
}

TEST(CountResults, NonZeroResultsAreSuccesses) {
  const BatchCounts counts = CountResults({1, 0, -5, 0});
  EXPECT_EQ(counts.total, 4);
  EXPECT_EQ(counts.success, 2);
  EXPECT_EQ(counts.failed(), 2);
  EXPECT_EQ(CountResults({}).failed(), 0);
}

}  // namespace
