// A temporary folder for one test, addressed by Windows path on both platforms
// (posix: below Z:, which maps to "/"). Removed with its content at the end;
// links inside it are removed, never followed.
#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The folder, without a trailing backslash.
  const std::wstring& Root() const { return root_; }
  // Root + "\" + relative ("a\b.txt").
  std::wstring Path(const std::wstring& relative) const;
  // Creates the file and any missing parent folders; returns its full path.
  std::wstring WriteFile(const std::wstring& relative, const std::string& bytes = std::string());
  std::wstring MakeFolder(const std::wstring& relative);
  // The file's bytes; empty when it cannot be read.
  std::string ReadFile(const std::wstring& relative) const;
  bool Exists(const std::wstring& relative) const;
  // A sparse file of this size (beyond 4 GiB costs no disk); false on failure.
  bool WriteSparseFile(const std::wstring& relative, uint64_t size);

 private:
  std::wstring root_;
};

// Creates a file at any Windows path, with its missing parent folders.
void WriteFileAt(const std::wstring& windowsPath, const std::string& bytes);

// Removes a folder at any Windows path with all it holds; links inside are
// removed, never followed. Nothing happens when it is not there.
void RemoveTree(const std::wstring& windowsPath);

// Native path helpers for tests that must plant what the engine cannot make
// (links, sparse files): the platform's own form of a Windows path.
#ifdef _WIN32
std::wstring NativePath(const std::wstring& windowsPath);
#else
std::string NativePath(const std::wstring& windowsPath);
#endif

}  // namespace testsupport
