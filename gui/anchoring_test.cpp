// Design geometry: scaling, anchored placement and 64-bit progress positions.
#include "gui/anchoring.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using gui::AnchoredRect;
using gui::Anchors;
using gui::DesignRect;
using gui::PixelBox;
using gui::Extent;

TEST(AnchoringTest, ScaleLengthRoundsHalvesAwayFromZero) {
  struct Case {
    int design, dpi, pixels;
  } cases[] = {{0, 144, 0}, {17, 96, 17}, {17, 144, 26}, {43, 144, 65}, {-17, 144, -26}, {1, 120, 1}, {3, 120, 4},
               {1000, 192, 2000}};
  for (const Case& c : cases) EXPECT_EQ(gui::ScaleLength(c.design, c.dpi), c.pixels) << c.design << " at " << c.dpi;
}

// A parent designed 500 x 330 holding a control at 10, 20, 100 x 40 (so 390
// from the right edge and 270 from the bottom), resized to 800 x 600 pixels.
TEST(AnchoringTest, AControlKeepsItsDistancesToTheAnchoredEdges) {
  const DesignRect bounds{10, 20, 100, 40};
  const Extent design{500, 330};
  struct Case {
    const char* what;
    Anchors anchors;
    Extent now;
    int dpi;
    PixelBox expected;
  } cases[] = {
      {"left top, resized", gui::kAnchorLeftTop, {800, 600}, 96, {10, 20, 100, 40}},
      {"left top right: stretched", gui::kAnchorLeftTopRight, {800, 600}, 96, {10, 20, 400, 40}},
      {"top right: moved", gui::kAnchorTopRight, {800, 600}, 96, {310, 20, 100, 40}},
      {"all sides", gui::kAnchorAll, {800, 600}, 96, {10, 20, 400, 310}},
      {"bottom only: moved down", Anchors{true, false, false, true}, {800, 600}, 96, {10, 290, 100, 40}},
      {"no anchors: stays", Anchors{false, false, false, false}, {800, 600}, 96, {10, 20, 100, 40}},
      {"all sides at design size", gui::kAnchorAll, {500, 330}, 96, {10, 20, 100, 40}},
      {"all sides, design size at 144 DPI", gui::kAnchorAll, {750, 495}, 144, {15, 30, 150, 60}},
      {"left top right at 144 DPI, resized", gui::kAnchorLeftTopRight, {1200, 900}, 144, {15, 30, 600, 60}},
      {"top right at 144 DPI, resized", gui::kAnchorTopRight, {1200, 900}, 144, {465, 30, 150, 60}},
      {"stretched into a parent too small", gui::kAnchorAll, {300, 200}, 96, {10, 20, 0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(AnchoredRect(bounds, design, c.anchors, c.now, c.dpi), c.expected) << c.what;
}

TEST(AnchoringTest, ScaledPositionKeepsTheFractionOf64BitAmounts) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kGiB = std::int64_t(1) << 30;
  struct Case {
    std::int64_t done, total;
    int minimum, maximum, expected;
  } cases[] = {
      {0, 100, 0, 100, 0},        {50, 100, 0, 100, 50},        {100, 100, 0, 100, 100},
      {150, 100, 0, 100, 100},    {-5, 100, 0, 100, 0},         {5, 0, 0, 100, 0},
      {5, -1, 10, 20, 10},        {3 * kGiB, 6 * kGiB, 0, 1000, 500},
      {kMax / 4, kMax, 0, 1000, 249}, {kMax - 1, kMax, 0, 1000, 999},
      {kMax / 2, kMax, -1000, 1000, -1}, {1, 3, 0, std::numeric_limits<int>::max(), 715827882},
  };
  for (const auto& c : cases)
    EXPECT_EQ(gui::ScaledPosition(c.done, c.total, c.minimum, c.maximum), c.expected)
        << c.done << " of " << c.total << " in " << c.minimum << ".." << c.maximum;
}

}  // namespace
