// Flags drawn from a line of text, so that the pictures of the shipped
// languages have a readable source: "horizontal" or "vertical" and the
// stripes' colours as RRGGBB, each optionally with a weight ("*2" is a stripe
// twice as broad), e.g. "vertical 0055A4 FFFFFF EF4135".
#pragma once

#include <string>

constexpr int kFlagWidth = 30, kFlagHeight = 20;

// A 24-bit Windows bitmap file image of kFlagWidth x kFlagHeight; false, with
// the reason in error, when the description is wrong.
bool DrawStripedFlag(const std::string& description, std::string& bitmap, std::string& error);
