#include "platform/text_codec.h"

namespace platform {

// Text files on Linux are UTF-8.
std::string ToAnsi(const std::wstring& text) { return ToUtf8(text); }
std::wstring FromAnsi(const std::string& text) { return FromUtf8(text); }

}  // namespace platform
