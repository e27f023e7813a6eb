#include "analysis/listing.h"

#include <memory>

#include "analysis/name_tests.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "platform/wow64.h"

namespace {

using platform::DirectoryReader;

bool IsDots(const std::wstring& name) { return name == L"." || name == L".."; }

thread_local const std::function<void(const std::wstring&)>* currentReport = nullptr;

void TellIfUnreadable(const DirectoryReader& reader, const std::wstring& folder) {
  if (reader.Unreadable() && currentReport && *currentReport)
    (*currentReport)(platform::WithoutTrailingBackslash(folder));
}

// What a walk keeps. Files or folders, optionally only those of one name or
// one extension.
struct Filter {
  bool files = false;
  bool folders = false;
  const std::wstring* name = nullptr;
  const std::wstring* ext = nullptr;

  bool Accepts(const std::wstring& entryName, bool isFolder) const {
    if (isFolder ? !folders : !files) return false;
    if (name && !platform::EqualsNoCase(entryName, *name)) return false;
    if (ext && !platform::EqualsNoCase(ExtensionOf(entryName), *ext)) return false;
    return true;
  }
};

// Depth-first over an explicit stack, so that a tree thousands of levels deep
// cannot overflow the thread's stack.
void Walk(const std::wstring& root, const Filter& filter, PathList& list) {
  if (root.empty()) return;
  platform::FsRedirectionOff redirectionOff;  // for the whole walk

  struct Frame {
    std::wstring folder;  // with a trailing separator
    std::unique_ptr<DirectoryReader> reader;
  };
  std::vector<Frame> stack;
  auto open = [&stack](std::wstring folder) {
    auto reader = std::make_unique<DirectoryReader>(folder + L'*');
    stack.push_back(Frame{std::move(folder), std::move(reader)});
  };
  open(platform::WithTrailingBackslash(root));

  while (!stack.empty()) {
    Frame& top = stack.back();
    if (!top.reader->Next()) {
      TellIfUnreadable(*top.reader, top.folder);
      stack.pop_back();
      continue;
    }
    const std::wstring& name = top.reader->Name();
    if (IsDots(name)) continue;
    const bool isFolder = top.reader->IsFolder();
    if (isFolder && top.reader->IsReparsePoint()) continue;
    const bool accepted = filter.Accepts(name, isFolder);
    if (!accepted && !isFolder) continue;
    std::wstring full;
    full.reserve(top.folder.size() + name.size() + 1);
    full.append(top.folder).append(name);
    if (!isFolder) {
      list.push_back(std::move(full));
      continue;
    }
    if (accepted) list.push_back(full);
    full += L'\\';
    open(std::move(full));  // invalidates top
  }
}

// One folder's direct entries. Files are tested again as existing non-folder
// paths, since the caller wants regular files only.
void ListFlat(const std::wstring& root, const Filter& filter, PathList& list) {
  if (root.empty()) return;
  platform::FsRedirectionOff redirectionOff;
  std::wstring folder = platform::WithTrailingBackslash(root);
  DirectoryReader reader(folder + L'*');
  while (reader.Next()) {
    const std::wstring& name = reader.Name();
    if (IsDots(name)) continue;
    const bool isFolder = reader.IsFolder();
    if (isFolder && reader.IsReparsePoint()) continue;
    if (!filter.Accepts(name, isFolder)) continue;
    std::wstring full = folder + name;
    if (!isFolder && !platform::WideFileExists(full)) continue;
    list.push_back(std::move(full));
  }
  TellIfUnreadable(reader, folder);
}

}  // namespace

UnreadableFolderHandler::UnreadableFolderHandler(std::function<void(const std::wstring& folder)> handler)
    : handler_(std::move(handler)), previous_(currentReport) {
  currentReport = &handler_;
}

UnreadableFolderHandler::~UnreadableFolderHandler() { currentReport = previous_; }

void ListFiles(const std::wstring& root, PathList& list) {
  Filter f;
  f.files = true;
  Walk(root, f, list);
}

void ListFolders(const std::wstring& root, PathList& list) {
  Filter f;
  f.folders = true;
  Walk(root, f, list);
}

void ListFilesFlat(const std::wstring& root, PathList& list) {
  Filter f;
  f.files = true;
  ListFlat(root, f, list);
}

void ListFoldersFlat(const std::wstring& root, PathList& list) {
  Filter f;
  f.folders = true;
  ListFlat(root, f, list);
}

void ListFilesByExt(const std::wstring& root, const std::wstring& ext, PathList& list) {
  Filter f;
  f.files = true;
  f.ext = &ext;
  ListFlat(root, f, list);
}

void ListFilesByExtDeep(const std::wstring& root, const std::wstring& ext, PathList& list) {
  Filter f;
  f.files = true;
  f.ext = &ext;
  Walk(root, f, list);
}

void FindFilesNamed(const std::wstring& root, const std::wstring& name, PathList& list) {
  Filter f;
  f.files = true;
  f.name = &name;
  Walk(root, f, list);
}

void FindFoldersNamed(const std::wstring& root, const std::wstring& name, PathList& list) {
  Filter f;
  f.folders = true;
  f.name = &name;
  Walk(root, f, list);
}

void ListFiles(const PathList& roots, PathList& list) {
  for (const std::wstring& root : roots) ListFiles(root, list);
}

void ListFolders(const PathList& roots, PathList& list) {
  for (const std::wstring& root : roots) ListFolders(root, list);
}

void ListFilesByExt(const PathList& roots, const std::wstring& ext, PathList& list) {
  for (const std::wstring& root : roots) ListFilesByExt(root, ext, list);
}
