// The program's language switcher as the main window carries it (`Langue`):
// its settings, the system facts it asks for, and its first-activation work
// (the translators' template on "-co", the scan, the saved language).
#pragma once

#include <string>
#include <vector>

#include "gui/component.h"
#include "i18n/lang_list.h"

// FilePrefix "HV_", the settings branch as RegKey, the user's UI language as
// the default, and a message box for a file of an unsupported revision.
void ConfigureProgramLanguageList(TLangList& langue);

// The template's program version: the "FileVersion" text of the executable's
// first translation, without "(" and ")", packed.
uint32_t ProgramFileVersionPacked(const std::wstring& programPath);

// Runs before the main window's own first-activation work, so that its
// "Language : " line already names the language. mainFont: the main
// window's, which the template records.
void RunLanguageFirstActivation(TLangList& langue, const std::wstring& programPath,
                                const std::vector<std::wstring>& parameters, const FontSpec& mainFont);

// The command line's parameters after the program's name.
std::vector<std::wstring> CommandLineParameters();
