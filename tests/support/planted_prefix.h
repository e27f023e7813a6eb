// A throw-away Windows tree laid out as a Wine prefix (Linux builds only): the
// posix platform works on it while the object lives, so category rules can be
// run against planted files at their real Windows paths.
#pragma once

#ifndef _WIN32

#include <string>

#include "platform/posix/wine_prefix.h"

namespace testsupport {

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
