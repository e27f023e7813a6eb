// Folder listings for the category rules. A listing appends full paths (root,
// a separator unless the root ends with one, the entry's name) to the caller's
// list in the order the platform enumerates, and never clears it. Recursive
// listings walk depth-first and finish a folder's subtree before its next
// sibling. An empty or missing root, or a folder that cannot be read, yields
// nothing.
//
// No listing enters a junction, symbolic link or mount point met during its
// walk, nor appends one as a folder: what lies behind it was not found here,
// and a later rule would otherwise take it as a root. Links in the root's own
// path are resolved as the platform resolves any path.
#pragma once

#include <functional>
#include <string>
#include <vector>

using PathList = std::vector<std::wstring>;

// Who hears of a folder that a listing on this thread could not read (it then
// yields what was read of it, often nothing): set for the life of the object,
// the one set before it back afterwards. The folder comes without a trailing
// separator. A missing folder is not told.
class UnreadableFolderHandler {
 public:
  explicit UnreadableFolderHandler(std::function<void(const std::wstring& folder)> handler);
  ~UnreadableFolderHandler();
  UnreadableFolderHandler(const UnreadableFolderHandler&) = delete;
  UnreadableFolderHandler& operator=(const UnreadableFolderHandler&) = delete;

 private:
  std::function<void(const std::wstring&)> handler_;
  const std::function<void(const std::wstring&)>* previous_;
};

void ListFiles(const std::wstring& root, PathList& list);
void ListFolders(const std::wstring& root, PathList& list);
void ListFilesFlat(const std::wstring& root, PathList& list);
void ListFoldersFlat(const std::wstring& root, PathList& list);
// ext includes the dot (".log"); compared without regard to case.
void ListFilesByExt(const std::wstring& root, const std::wstring& ext, PathList& list);
void ListFilesByExtDeep(const std::wstring& root, const std::wstring& ext, PathList& list);
void FindFilesNamed(const std::wstring& root, const std::wstring& name, PathList& list);
void FindFoldersNamed(const std::wstring& root, const std::wstring& name, PathList& list);

// The same over several roots, in the roots' order, into one list.
void ListFiles(const PathList& roots, PathList& list);
void ListFolders(const PathList& roots, PathList& list);
void ListFilesByExt(const PathList& roots, const std::wstring& ext, PathList& list);
