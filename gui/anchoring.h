// Design geometry, portable: design rectangles are pixels at 96 DPI, scaled
// to a window's DPI; anchored controls keep their distances to the chosen
// edges of their parent when it changes size.
#pragma once

#include <cstdint>

namespace gui {

constexpr int kDesignDpi = 96;

struct DesignRect {
  int left = 0, top = 0, width = 0, height = 0;
};

// A design length at dpi, rounded to the nearest pixel (halves away from
// zero, as Windows' MulDiv rounds).
int ScaleLength(int designPixels, int dpi);

// The edges of its parent a control keeps its distance to. Left and right
// together stretch it; right alone moves it; neither keeps it where it was
// put, as left does (likewise top and bottom).
struct Anchors {
  bool left = true, top = true, right = false, bottom = false;
};
constexpr Anchors kAnchorLeftTop{};
constexpr Anchors kAnchorLeftTopRight{true, true, true, false};
constexpr Anchors kAnchorTopRight{false, true, true, false};
constexpr Anchors kAnchorAll{true, true, true, true};

struct PixelBox {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const PixelBox& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};

// A width and a height (design or real pixels, as the name says).
struct Extent {
  int width = 0, height = 0;
};

// Where a control with design bounds inside a parent of design size
// designParent goes when the parent's client area is parentNow pixels, at
// dpi. A stretched control never gets a negative size.
PixelBox AnchoredRect(const DesignRect& bounds, Extent designParent, const Anchors& anchors, Extent parentNow,
                       int dpi);

// A 64-bit amount done out of a 64-bit total as a position in the range
// minimum..maximum of a control that counts in int (progress bars): the same
// fraction (within one step), clamped to the range; maximum only when done
// reaches the total; minimum when the total is not positive.
int ScaledPosition(std::int64_t done, std::int64_t total, int minimum, int maximum);

}  // namespace gui
