// The record tags of a language file, shared by the loader and the text form
// so that both read the same file the same way.
#pragma once

#include <cstdint>

namespace language_tags {

enum Tag : int32_t {
  kTagProgramVersion = 512,
  kTagInputMethod = 513,
  kTagFontFace = 514,
  kTagCharset = 515,
  kTagCarriedByte = 516,  // also the minimum font size, last in revision 4
  kTagCarriedText1 = 517,
  kTagCarriedText2 = 518,
  kTagKeyBase = 528,
  kTagLayout = 768,
};
// Flags of a component's text record, added to its key's tag.
constexpr int32_t kTranslated = 32;
constexpr int32_t kShowHint = 16;

}  // namespace language_tags
