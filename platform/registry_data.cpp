// Registry data layouts shared by both platforms.
#include "platform/registry.h"

namespace platform {

// A 32-bit value is stored little-endian, as Windows keeps REG_DWORD.
std::string RegDataFromDword(uint32_t value) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = char((value >> (8 * i)) & 0xFF);
  return out;
}

bool DwordFromRegData(const std::string& data, uint32_t& value) {
  if (data.size() != 4) return false;
  value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(data[i]);
  return true;
}

}  // namespace platform
