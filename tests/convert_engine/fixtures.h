#pragma once

#include <string>

#include "tests/convert_engine/engine_harness.h"
#include "tests/convert_engine/media_maker.h"

// The source clips the conversion tests share, each made once per test program on first use.
namespace fixtures {

using media_maker::ClipPlan;
using media_maker::Rgb;

// Four coloured quadrants, a steady tone: where each part of the frame ends up, and how loud.
inline ClipPlan QuadrantPlan() {
  ClipPlan plan;
  plan.seconds = 2.0;
  return plan;
}
inline const std::string& Quadrants() {
  return engine_harness::Fixture("quadrants.mkv", QuadrantPlan());
}

// Mid-tone quadrants with room to move either way, for the picture effects.
inline ClipPlan MidTonePlan() {
  ClipPlan plan;
  plan.seconds = 1.0;
  plan.quadrants = {Rgb{150, 90, 90}, Rgb{90, 150, 90}, Rgb{170, 170, 170}, Rgb{70, 70, 70}};
  return plan;
}
inline const std::string& MidTone() {
  return engine_harness::Fixture("midtone.mkv", MidTonePlan());
}

// A square frame, so that each zoom mode puts its bars somewhere else in a 4:3 output.
inline ClipPlan SquarePlan() {
  ClipPlan plan;
  plan.width = 240;
  plan.height = 240;
  plan.seconds = 1.0;
  return plan;
}
inline const std::string& Square() {
  return engine_harness::Fixture("square.mkv", SquarePlan());
}

// Frame numbers in the picture and one beep at 2 s: which source moment each output moment shows.
inline constexpr double kBeepAt = 2.0;
inline ClipPlan CounterPlan() {
  ClipPlan plan;
  plan.seconds = 4.0;
  plan.frameCounter = true;
  plan.beepAt = kBeepAt;
  return plan;
}
inline const std::string& Counter() {
  return engine_harness::Fixture("counter.mkv", CounterPlan());
}

// One flat grey, so that anything drawn on it shows.
inline ClipPlan GreyPlan() {
  ClipPlan plan;
  plan.seconds = 1.0;
  plan.quadrants = {Rgb{90, 90, 90}, Rgb{90, 90, 90}, Rgb{90, 90, 90}, Rgb{90, 90, 90}};
  return plan;
}
inline const std::string& TextSubtitled() {
  ClipPlan plan = GreyPlan();
  plan.subtitleText = "WWWWWWWWWWWW\nWWWWWWWWWWWW";
  return engine_harness::Fixture("text_subtitle.mkv", plan);
}
inline const std::string& BitmapSubtitled() {
  ClipPlan plan = GreyPlan();
  plan.bitmapSubtitle = true;
  return engine_harness::Fixture("bitmap_subtitle.mkv", plan);
}

// Long enough that a conversion to a large frame with a slow preset is still running when a test
// pauses or stops it.
inline const std::string& Long() {
  ClipPlan plan;
  plan.seconds = 12.0;
  plan.frameCounter = true;
  return engine_harness::Fixture("long.mkv", plan);
}

// What the catalogue test converts: short, with picture and sound.
inline ClipPlan ProfileSourcePlan() {
  ClipPlan plan;
  plan.seconds = 1.0;
  return plan;
}
inline const std::string& ProfileSource() {
  return engine_harness::Fixture("profile_source.mkv", ProfileSourcePlan());
}

}  // namespace fixtures
