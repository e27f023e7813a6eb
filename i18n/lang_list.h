// The language switcher: finds the language files in the language folder,
// keeps the list of available languages, remembers the chosen one in the
// registry, switches on request and tells a listener after each switch.
//
// A language code is 32 bits: the low 16 a Windows language identifier
// (LANGID), the high 16 a variant (0 for the first file of a language, 1 for a
// second one...). Its file is folder + FilePrefix + the code as 8 upper-case
// hex digits + ".SPK".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/component.h"
#include "i18n/language_record.h"

// The language identifiers searched, in the order their files are listed.
extern const uint16_t kSearchedLanguageIds[145];

enum class SwitchResult {
  Unchanged,            // index outside the list, or the listener refused
  Loaded,               // the file was applied and the listener told
  NotLoaded,            // missing or not a language file: nothing applied
  UnsupportedRevision,  // nothing applied; the error went to reportError
};

struct LanguageEntry {
  std::wstring displayName;
  uint32_t code;
};

class TLangList : public Component {
 public:
  // root: where the records collect the components (the application).
  // programFolder: with its trailing separator.
  TLangList(Component* owner, Component& root, std::wstring programFolder, std::wstring name = L"Langue");

  std::vector<std::wstring> ExcludedComps;
  std::wstring FilePrefix;
  std::wstring SubDir;
  std::wstring RegKey;  // under the current user's root; empty: nothing kept
  bool Autoload = true;
  // (OldCode, NewCode, CanChange): clearing CanChange stops the switch.
  std::function<void(uint32_t oldCode, uint32_t newCode, bool& canChange)> BeforeLanguageSwitch;
  std::function<void()> AfterLanguageSwitch;

  // The system's default UI language; without it there is no user default.
  std::function<uint16_t()> userDefaultLanguage;
  // Shows a load error ("Format not supported in this revision") to the user.
  std::function<void(const std::wstring& message)> reportError;
  // Where the language folder falls back to; with its trailing separator.
  std::wstring currentDirectory;

  // With its trailing separator.
  std::wstring LanguageDir() const;
  std::wstring FileNameOf(uint32_t code) const;
  std::wstring TemplateFileName() const;

  // Refills the list; true when at least one file was found.
  bool ScanLanguages();
  const std::vector<LanguageEntry>& Languages() const { return languages_; }
  uint32_t CodeAt(int index) const;

  int LanguageIndex() const { return index_; }
  SwitchResult SetLanguageIndex(int index);
  // The best match, switched to; true when one was found.
  bool SelectByCode(uint32_t code);
  bool SelectUserDefault();
  bool RestoreLanguage();
  void SaveLanguage();

  // Empty when the last load failed or none happened.
  std::wstring CurrentLanguageName() const;
  std::wstring CurrentHeadingName() const;

  // The flag of the language's variant-0 file; false, and an empty picture,
  // when there is no such file or no well-formed flag in it.
  bool LoadFlag(uint16_t langId, std::string& picture) const;

  // The record the template is written from (identifier 0, no names).
  TLanguageRecord& TemplateRecord() { return *template_; }
  void WriteTemplate();

  // The first activation, once: a parameter that reads "-co..." once lower
  // cased with "/" as "-" writes the template (after beep, with the fields
  // fillTemplate gives), then the scan and, with Autoload, the restore.
  void FirstActivation(const std::vector<std::wstring>& parameters, const std::function<void()>& beep,
                       const std::function<void(TLanguageRecord&)>& fillTemplate);

 private:
  bool Select(uint32_t code, bool exactCode);

  std::wstring programFolder_;
  std::unique_ptr<TLanguageRecord> template_, current_;
  std::vector<LanguageEntry> languages_;
  int index_ = 0;
  bool loaded_ = false;
  bool activated_ = false;
  std::wstring loadedName_, loadedHeading_;
};
