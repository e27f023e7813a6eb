// A throw-away Windows tree laid out as a Wine prefix (Linux builds only): the
// posix platform works on it while the object lives, so category rules can be
// run against planted files at their real Windows paths.
#pragma once

#ifndef _WIN32

#include <string>
#include <vector>

#include "platform/posix/wine_prefix.h"

namespace testsupport {

// The planted prefix's known folders, each with its trailing separator.
namespace planted {
inline const std::wstring kWin = L"C:\\windows\\";
inline const std::wstring kProgramFiles = L"C:\\Program Files\\";
inline const std::wstring kProgramFilesX86 = L"C:\\Program Files (x86)\\";
inline const std::wstring kCommon = L"C:\\ProgramData\\";
inline const std::wstring kProfile = L"C:\\users\\tester\\";
inline const std::wstring kLocal = L"C:\\users\\tester\\AppData\\Local\\";
inline const std::wstring kLocalLow = L"C:\\users\\tester\\AppData\\LocalLow\\";
inline const std::wstring kRoaming = L"C:\\users\\tester\\AppData\\Roaming\\";
inline const std::wstring kRecent = L"C:\\users\\tester\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\";
}  // namespace planted

// One category's case: planted files it must find, in this order, and
// near-misses planted beside them that it must not.
struct CategoryCase {
  const wchar_t* key;
  std::vector<std::wstring> found;
  std::vector<std::wstring> missed;
};

class PlantedPrefix {
 public:
  // Makes drive_c with Wine's folders for user "tester" and switches the
  // platform to it; the Recycle Bin is a fresh trash folder as well.
  PlantedPrefix();
  ~PlantedPrefix();
  PlantedPrefix(const PlantedPrefix&) = delete;
  PlantedPrefix& operator=(const PlantedPrefix&) = delete;

  // Creates a file (and its folders) at a Windows path such as
  // "C:\users\tester\AppData\Local\Temp\a.tmp"; returns the path.
  std::wstring Plant(const std::wstring& windowsPath, const std::string& bytes = "x");
  std::wstring MakeFolder(const std::wstring& windowsPath);
  void Remove(const std::wstring& windowsPath);
  // Puts a file of this size into the Recycle Bin (the freedesktop trash).
  void PutInRecycleBin(const std::string& name, size_t bytes);

  const std::string& Root() const { return root_; }

 private:
  std::string root_;
  platform::WinePrefix previous_;
  std::string previousXdg_;
  bool hadXdg_ = false;
};

}  // namespace testsupport

#endif
