#include "gui/anchoring.h"

#include <algorithm>

namespace gui {

namespace {

struct Span {
  int start, length;
};

// One axis: near is the left (top) anchor, far the right (bottom) one.
Span AnchoredSpan(int start, int length, int designParent, bool near, bool far, int parentNow, int dpi) {
  const int scaledStart = ScaleLength(start, dpi);
  const int farDistance = ScaleLength(designParent - start - length, dpi);
  if (far && near) return Span{scaledStart, std::max(0, parentNow - farDistance - scaledStart)};
  const int scaledLength = ScaleLength(start + length, dpi) - scaledStart;
  if (far) return Span{parentNow - farDistance - scaledLength, scaledLength};
  return Span{scaledStart, scaledLength};
}

}  // namespace

int ScaleLength(int designPixels, int dpi) {
  const std::int64_t product = std::int64_t(designPixels) * dpi;
  const std::int64_t half = kDesignDpi / 2;
  return int(product >= 0 ? (product + half) / kDesignDpi : -((-product + half) / kDesignDpi));
}

PixelBox AnchoredRect(const DesignRect& bounds, Extent designParent, const Anchors& anchors, Extent parentNow,
                       int dpi) {
  const Span x = AnchoredSpan(bounds.left, bounds.width, designParent.width, anchors.left, anchors.right,
                              parentNow.width, dpi);
  const Span y = AnchoredSpan(bounds.top, bounds.height, designParent.height, anchors.top, anchors.bottom,
                              parentNow.height, dpi);
  return PixelBox{x.start, y.start, x.length, y.length};
}

int ScaledPosition(std::int64_t done, std::int64_t total, int minimum, int maximum) {
  if (total <= 0 || maximum <= minimum || done <= 0) return minimum;
  if (done >= total) return maximum;
  // Halve both until the product below fits in 64 bits: the span is under
  // 2^32 and the total then under 2^31.
  while (total >= (std::int64_t(1) << 31)) {
    total >>= 1;
    done >>= 1;
  }
  const std::int64_t span = std::int64_t(maximum) - minimum;
  // The halving can round a nearly done amount up to the whole; the bar is
  // full only when the work is.
  return int(minimum + std::min(span * done / total, span - 1));
}

}  // namespace gui
