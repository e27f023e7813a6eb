// Which system the program runs on, as the start-up lines of the log name it.
// The captions are pure functions of the facts the system gives, so each one
// can be checked without the system in question.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/windows_identity.h"

// What the captions are made of.
struct WindowsFacts {
  bool versionKnown = false;  // the system's version query answered
  platform::OsVersion version;
  bool workstationKnown = false;  // the workstation information could be read
  uint32_t workstationMajor = 0;
  uint32_t workstationMinor = 0;
  std::wstring buildNumber;  // CurrentBuildNumber; empty when it cannot be read
};

// "Unknown" without an answer from the version query; the older Windows family
// by its own numbers ("4.10 (98SE)"); NT-based systems by NtVersionCaption over
// the workstation numbers and the build number; any other platform "Unknown".
std::wstring WindowsVersionCaption(const WindowsFacts& facts);

// "%d.%d" of the workstation numbers with the name of the release; Windows 10
// and 11 (both report 10.0) are told apart by the build number. "Unknown" when
// the workstation information could not be read.
std::wstring NtVersionCaption(bool workstationKnown, uint32_t major, uint32_t minor, int build);

// The build number text as an integer; 0 when it is not a whole decimal number.
int BuildNumberValue(const std::wstring& text);

// The values that tell ReactOS apart; nullopt for a value that does not exist.
struct ReactOSFacts {
  std::optional<std::wstring> productName;
  std::optional<std::wstring> buildLab;
  std::optional<std::wstring> systemRoot;
};

// Empty unless the product is ReactOS and names its build; then the build text,
// or, when that says "unknown", the version of the system's explorer.exe (read
// with fileVersion) followed by the build text in brackets.
std::wstring ReactOSVersionCaption(const ReactOSFacts& facts,
                                   const std::function<std::wstring(const std::wstring&)>& fileVersion);

// The same, from the running system.
std::wstring WindowsVersionText();
std::wstring NtVersionText(int build);
// CurrentBuildNumber, or empty when the key or the value cannot be read.
std::wstring WindowsBuildNumber();
std::wstring ReactOSVersionText();
