// Language files as readable text, and back, so that translators never edit
// binary: UTF-8, the identity and header first ("Name = Français"), then one
// line per component path and property ("MainDlg.clean_btn.Caption
// [translated] = Nettoyer"). Texts are converted from and to the language's
// code page (Windows-1252 for the character sets 0 and 1); a byte that has no
// character there is written "\xNN", so that a file turned into text and back
// is the same file, byte for byte.
#pragma once

#include <string>

// Reads the language file at path (a Windows path); false, with the reason in
// error, when it is not a well-formed language file.
bool LanguageFileToText(const std::wstring& path, std::string& text, std::string& error);

// Writes the language file at path from its text form. folder (with its
// trailing separator) is where a "Flag = file:NAME" picture is read from;
// "Flag = stripes:..." draws one (DrawStripedFlag).
// False, with the line and the reason in error, when the text is wrong; the
// file is then not written.
bool TextToLanguageFile(const std::string& text, const std::wstring& folder, const std::wstring& path,
                        std::string& error);
