#include "i18n/flag_picture.h"

#include <cstdint>
#include <sstream>
#include <vector>

namespace {

struct Stripe {
  uint32_t rgb;
  int weight;
};

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool ParseStripe(const std::string& word, Stripe& stripe) {
  const size_t star = word.find('*');
  const std::string colour = word.substr(0, star);
  if (colour.size() != 6 || colour.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
  stripe.rgb = static_cast<uint32_t>(std::stoul(colour, nullptr, 16));
  stripe.weight = 1;
  if (star == std::string::npos) return true;
  const std::string weight = word.substr(star + 1);
  if (weight.empty() || weight.size() > 2 || weight.find_first_not_of("0123456789") != std::string::npos) return false;
  stripe.weight = std::stoi(weight);
  return stripe.weight > 0;
}

}  // namespace

bool DrawStripedFlag(const std::string& description, std::string& bitmap, std::string& error) {
  std::istringstream words(description);
  std::string direction, word;
  words >> direction;
  if (direction != "horizontal" && direction != "vertical") return error = "a flag is horizontal or vertical", false;
  std::vector<Stripe> stripes;
  int total = 0;
  while (words >> word) {
    Stripe s;
    if (!ParseStripe(word, s)) return error = "not a colour RRGGBB[*weight]: " + word, false;
    stripes.push_back(s);
    total += s.weight;
  }
  if (stripes.empty()) return error = "a flag needs at least one stripe", false;
  const bool vertical = direction == "vertical";
  const int across = vertical ? kFlagWidth : kFlagHeight;
  if (total > across) return error = "more stripes than pixels", false;

  // The colour at each position across the stripes; a stripe ends where its
  // share of the whole ends, rounded, so the stripes fill the flag exactly.
  std::vector<uint32_t> colourAt(static_cast<size_t>(across));
  int start = 0, sum = 0;
  for (const Stripe& s : stripes) {
    sum += s.weight;
    const int end = (sum * across + total / 2) / total;
    for (int p = start; p < end; ++p) colourAt[static_cast<size_t>(p)] = s.rgb;
    start = end;
  }

  const int stride = (kFlagWidth * 3 + 3) / 4 * 4;
  const uint32_t bitsSize = static_cast<uint32_t>(stride * kFlagHeight), offset = 14 + 40;
  bitmap.clear();
  bitmap += "BM";
  PutLe(bitmap, offset + bitsSize, 4);
  PutLe(bitmap, 0, 4);
  PutLe(bitmap, offset, 4);
  PutLe(bitmap, 40, 4);
  PutLe(bitmap, kFlagWidth, 4);
  PutLe(bitmap, kFlagHeight, 4);  // bottom-up rows
  PutLe(bitmap, 1, 2);
  PutLe(bitmap, 24, 2);
  PutLe(bitmap, 0, 4);  // no compression
  PutLe(bitmap, bitsSize, 4);
  PutLe(bitmap, 2835, 4);  // 72 DPI, as pixels per metre
  PutLe(bitmap, 2835, 4);
  PutLe(bitmap, 0, 4);
  PutLe(bitmap, 0, 4);
  for (int row = kFlagHeight - 1; row >= 0; --row) {
    std::string line;
    for (int x = 0; x < kFlagWidth; ++x) {
      const uint32_t rgb = colourAt[static_cast<size_t>(vertical ? x : row)];
      line += static_cast<char>(rgb & 0xFF);          // blue
      line += static_cast<char>((rgb >> 8) & 0xFF);   // green
      line += static_cast<char>((rgb >> 16) & 0xFF);  // red
    }
    line.resize(static_cast<size_t>(stride), '\0');
    bitmap += line;
  }
  return true;
}
