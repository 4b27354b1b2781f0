#include <gtest/gtest.h>

#include <vector>

#include "editor/edit_rules.h"
#include "tests/editor/edit_rules_test_support.h"

namespace {

TEST(EffectSliders, PositionGivesValue) {
  struct Case {
    int percent;
    double effect;
    int32_t volume;
  };
  const std::vector<Case> cases = {
      {0, -100, 0},    {1, -98, 5},                                                 // 5.12 truncated
      {25, -50, 128},  {33, -34, 168}, {50, 0, 256}, {75, 50, 384}, {99, 98, 506},  // 506.88 truncated
      {100, 100, 512},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(EffectFromPercent(c.percent), c.effect) << c.percent;
    EXPECT_EQ(VolumeFromPercent(c.percent), c.volume) << c.percent;
  }
}

TEST(EffectSliders, ValueGivesTruncatedPosition) {
  struct EffectCase {
    double value;
    int percent;
  };
  for (const EffectCase& c : std::vector<EffectCase>{
           {-100, 0}, {-99.9, 0}, {-34, 33}, {0, 50}, {33.3, 66}, {99.9, 99}, {100, 100}}) {
    EXPECT_EQ(EffectPercent(c.value), c.percent) << c.value;
  }
  struct VolumeCase {
    int32_t volume;
    int percent;
  };
  for (const VolumeCase& c :
       std::vector<VolumeCase>{{0, 0}, {5, 0}, {168, 32}, {256, 50}, {511, 99}, {512, 100}}) {
    EXPECT_EQ(VolumePercent(c.volume), c.percent) << c.volume;
  }
  EXPECT_EQ(PercentOf(7, 5, 5), 0);  // an empty range does not divide by zero
  EXPECT_EQ(PercentOf(15, 10, 20), 50);
}

TEST(EffectSliders, EveryPositionShowsBackAsItself) {
  for (int percent = 0; percent <= 100; ++percent) {
    EXPECT_EQ(EffectPercent(EffectFromPercent(percent)), percent);
  }
}

TEST(EffectReset, ClearsTheAdjustmentsAndDeinterlacesAsProbed) {
  for (int interlaced : {0, 1}) {
    CIInput input = LoadedInput(60, 640, 480, interlaced);
    input.effects = EffectBlock{12, -40, 3, 77, 500, 1 - interlaced};
    ResetEffects(input);
    EXPECT_EQ(input.effects.brightness, 0);
    EXPECT_EQ(input.effects.contrast, 0);
    EXPECT_EQ(input.effects.reserved, 0);
    EXPECT_EQ(input.effects.saturation, 0);
    EXPECT_EQ(input.effects.volume, 256);
    EXPECT_EQ(input.effects.deinterlace, interlaced);
  }
}

}  // namespace
