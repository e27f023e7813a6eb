// Language files: the identity of a language (identifier, names, flag), the
// font its script needs and the translated texts of every component, keyed by
// component path. Loading applies them to the live components in place;
// saving writes the components' present texts as a template for translators.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gui/component.h"
#include "gui/component_paths.h"

extern const char kLanguageSignature[];           // "QLM LANGUAGE FILE"
extern const wchar_t kUnsupportedRevisionText[];  // "Format not supported in this revision"

// The program version as language files keep it: 8, 8, 6 and 10 bits.
uint32_t PackVersion(const std::wstring& text);
std::wstring VersionText(uint32_t packed);

// A Windows bitmap file image whose sizes, offsets and palette all fit in its
// bytes; anything else is no picture.
bool IsWellFormedBitmap(const std::string& bytes);

enum class LoadResult { Loaded, NotLanguageFile, UnsupportedRevision };

class TLanguageRecord {
 public:
  TLanguageRecord(Component& root, const std::vector<std::wstring>* excludedComps = nullptr);

  // Reads the file and applies it to the components under the root. Nothing is
  // applied unless the whole file is well formed and of a known revision. An
  // empty name is the program folder + the identifier as 8 hex digits + ".SPK".
  LoadResult LoadAndApply(const std::wstring& fileName = std::wstring());
  // Writes the record's fields and the components' present texts (revision 4).
  void SaveTemplate(const std::wstring& fileName = std::wstring());
  std::vector<ComponentPath> CollectComponents() const;

  int revisionToWrite = 4;
  uint16_t languageId = 0;
  int revisionRead = 0;
  std::wstring languageName, headingName, listRemark;
  std::vector<std::wstring> notes;
  std::string flagBitmap;  // a bitmap file image, empty for no flag
  uint32_t programVersion = 0;
  int carriedByte = 0;
  std::wstring carriedText1, carriedText2;
  std::wstring inputMethodName;
  std::wstring fontFace;
  int charset = 1;
  int minimumFontSize = 8;

  std::wstring programFolder;  // with its trailing separator
  // The system's hint, icon and menu fonts take the file's character set.
  std::function<void(int charset)> setSystemFontsCharset;
  // Tells of a component that failed while a template was written.
  std::function<void(const std::wstring& message)> showMessage;

 private:
  std::wstring DefaultFileName() const;
  Component& root_;
  const std::vector<std::wstring>* excluded_;
};
