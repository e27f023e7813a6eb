// Files and folders of a Windows tree on a Linux disk, reported as Windows (and
// Wine) reports them: NTFS order, MS-DOS wildcards, links as reparse points.
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/posix/last_error.h"
#include "platform/posix/ntfs_names.h"
#include "platform/posix/wine_prefix.h"
#include "platform/text_codec.h"
#include "platform/win_path.h"

namespace platform {
namespace {

enum class Kind : uint8_t { File, Folder, FileLink, FolderLink };

bool IsLink(Kind kind) { return kind == Kind::FileLink || kind == Kind::FolderLink; }
bool IsFolderKind(Kind kind) { return kind == Kind::Folder || kind == Kind::FolderLink; }

bool IsDots(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

// What Windows would call the entry: a link is a folder link when it leads to
// a folder (Windows fixes that when the link is made; a dangling link is a
// file link).
Kind KindOf(int dirFd, const char* name, const struct stat& st) {
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    return (fstatat(dirFd, name, &target, 0) == 0 && S_ISDIR(target.st_mode)) ? Kind::FolderLink : Kind::FileLink;
  }
  return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::File;
}

uint32_t AttributesOf(Kind kind, bool hidden, const struct stat* st) {
  uint32_t attributes = IsFolderKind(kind) ? kAttrDirectory : kAttrArchive;
  if (IsLink(kind)) attributes |= kAttrReparsePoint;
  if (hidden) attributes |= kAttrHidden;
  // Wine's read-only attribute is the missing write permission.
  if (st && !IsLink(kind) && !(st->st_mode & S_IWUSR)) attributes |= kAttrReadOnly;
  return attributes;
}

// Wine hides dot-files, as Unix tools do.
bool IsHiddenName(const char* name) { return name[0] == '.' && !IsDots(name); }

const char* BaseName(const std::string& native) {
  size_t slash = native.find_last_of('/');
  return native.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

// Appends a Linux name to a wide buffer; plain ASCII names (the common case)
// need no decoder.
void AppendWide(const char* name, size_t length, std::wstring& out) {
  for (size_t i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(name[i]) >= 0x80) {
      out += FromUtf8(std::string(name, length));
      return;
    }
  }
  out.append(name, name + length);
}

struct Status {
  bool found = false;
  Kind kind = Kind::File;
  struct stat st {};
};

Status StatusOf(const std::string& native) {
  Status s;
  if (lstat(native.c_str(), &s.st) != 0) return s;
  s.found = true;
  s.kind = KindOf(AT_FDCWD, native.c_str(), s.st);
  return s;
}

// The Linux path of a Windows path, or false with ERROR_PATH_NOT_FOUND.
bool Native(const std::wstring& path, std::string& native) {
  if (ToNativePath(path, native)) return true;
  return FailWith(kErrorPathNotFound);
}

}  // namespace

struct DirectoryReader::Impl {
  struct Entry {
    uint32_t wideOffset, wideLength;
    uint32_t nativeOffset;  // NUL-terminated in `natives`
    Kind kind;
    bool dots;
  };

  DIR* dir = nullptr;
  int dirFd = AT_FDCWD;
  // Names of the whole folder in two buffers, so that a listing costs a few
  // allocations per folder rather than per entry.
  std::wstring wides;
  std::string natives;
  std::vector<Entry> entries;
  size_t next = 0;

  std::wstring name;
  bool statRead = false;
  bool statOk = false;
  struct stat st {};

  ~Impl() {
    if (dir) closedir(dir);
  }

  const Entry& Current() const { return entries[next - 1]; }

  void ReadStatus() {
    if (statRead) return;
    statRead = true;
    statOk = fstatat(dirFd, natives.c_str() + Current().nativeOffset, &st, AT_SYMLINK_NOFOLLOW) == 0;
  }

  void Add(const char* nativeName, size_t nativeLength, size_t wideStart, Kind kind, bool dots) {
    entries.push_back(Entry{uint32_t(wideStart), uint32_t(wides.size() - wideStart), uint32_t(natives.size()), kind, dots});
    natives.append(nativeName, nativeLength);
    natives += '\0';
  }

  void LookUpOne(const std::wstring& pattern);
  void ReadFolder(const std::wstring& folder, const std::wstring& mask, bool atRoot);
};

void DirectoryReader::Impl::LookUpOne(const std::wstring& pattern) {
  std::string native;
  if (!ToNativePath(pattern, native)) {
    FailWith(kErrorPathNotFound);
    return;
  }
  Status s = StatusOf(native);
  if (!s.found) {
    FailWithErrno();
    return;
  }
  const char* base = BaseName(native);
  size_t wideStart = wides.size();
  AppendWide(base, std::char_traits<char>::length(base), wides);
  // The whole path stands in for the name, so that the status is read by path.
  Add(native.data(), native.size(), wideStart, s.kind, false);
}

void DirectoryReader::Impl::ReadFolder(const std::wstring& folder, const std::wstring& mask, bool atRoot) {
  // The literal path first: it is right whenever the letter case matches the
  // disk, and costs no lookups.
  std::string native;
  int error = ENOENT;
  if (LiteralNativePath(folder, native)) {
    dir = opendir(native.c_str());
    if (!dir) error = errno;
  }
  if (!dir && (error == ENOENT || error == ENOTDIR)) {
    std::string resolved;
    if (ToNativePath(folder, resolved) && resolved != native) {
      dir = opendir(resolved.c_str());
      if (!dir) error = errno;
    }
  }
  if (!dir) {
    FailWith(error == ENOENT || error == ENOTDIR ? kErrorPathNotFound : WindowsErrorFromErrno(error));
    return;
  }
  dirFd = dirfd(dir);
  FindMask findMask(mask);

  while (dirent* e = readdir(dir)) {
    const char* entryName = e->d_name;
    bool dots = IsDots(entryName);
    // NTFS has no "." and ".." at the root of a drive.
    if (dots && atRoot) continue;
    size_t nativeLength = std::char_traits<char>::length(entryName);
    size_t wideStart = wides.size();
    AppendWide(entryName, nativeLength, wides);
    if (!findMask.MatchesAll() && !findMask.Matches(wides.data() + wideStart, wides.size() - wideStart)) {
      wides.resize(wideStart);
      continue;
    }
    Kind kind = Kind::File;
    struct stat st;
    switch (e->d_type) {
      case DT_DIR: kind = Kind::Folder; break;
      case DT_LNK: kind = (fstatat(dirFd, entryName, &st, 0) == 0 && S_ISDIR(st.st_mode)) ? Kind::FolderLink : Kind::FileLink; break;
      case DT_UNKNOWN:
        if (fstatat(dirFd, entryName, &st, AT_SYMLINK_NOFOLLOW) == 0) kind = KindOf(dirFd, entryName, st);
        break;
      default: break;
    }
    Add(entryName, nativeLength, wideStart, kind, dots);
  }

  const wchar_t* text = wides.data();
  std::sort(entries.begin(), entries.end(), [text](const Entry& a, const Entry& b) {
    // NTFS gives "." and ".." before everything else.
    if (a.dots || b.dots) {
      if (a.dots != b.dots) return a.dots;
      return a.wideLength < b.wideLength;
    }
    return CompareNtfsOrder(text + a.wideOffset, a.wideLength, text + b.wideOffset, b.wideLength) < 0;
  });
  if (entries.empty()) FailWith(kErrorFileNotFound);
}

DirectoryReader::DirectoryReader(const std::wstring& pattern) : impl_(new Impl) {
  size_t cut = pattern.find_last_of(L"\\/");
  if (cut == std::wstring::npos) {
    FailWith(kErrorPathNotFound);
    return;
  }
  std::wstring mask = pattern.substr(cut + 1);
  if (mask.empty() || mask == L"." || mask == L"..") {
    FailWith(kErrorFileNotFound);
    return;
  }
  if (!HasWildcard(mask)) {
    impl_->LookUpOne(pattern);
    return;
  }
  std::wstring folder = pattern.substr(0, cut + 1);
  size_t start = folder.compare(0, 4, L"\\\\?\\") == 0 ? 4 : 0;
  bool atRoot = folder.size() == start + 3 && folder[start + 1] == L':';
  impl_->ReadFolder(folder, mask, atRoot);
}

DirectoryReader::~DirectoryReader() = default;

bool DirectoryReader::Next() {
  Impl& d = *impl_;
  if (d.next >= d.entries.size()) return false;
  ++d.next;
  const Impl::Entry& e = d.Current();
  d.name.assign(d.wides, e.wideOffset, e.wideLength);
  d.statRead = false;
  return true;
}

const std::wstring& DirectoryReader::Name() const { return impl_->name; }

uint32_t DirectoryReader::Attributes() const {
  Impl& d = *impl_;
  if (d.next == 0) return kInvalidAttributes;
  d.ReadStatus();
  const Impl::Entry& e = d.Current();
  bool hidden = !e.dots && d.wides[e.wideOffset] == L'.';
  return AttributesOf(e.kind, hidden, d.statOk ? &d.st : nullptr);
}

uint64_t DirectoryReader::Size() const {
  Impl& d = *impl_;
  if (d.next == 0 || d.Current().kind != Kind::File) return 0;
  d.ReadStatus();
  return d.statOk && S_ISREG(d.st.st_mode) ? uint64_t(d.st.st_size) : 0;
}

bool DirectoryReader::IsFolder() const { return impl_->next != 0 && IsFolderKind(impl_->Current().kind); }

bool DirectoryReader::IsReparsePoint() const { return impl_->next != 0 && IsLink(impl_->Current().kind); }

bool WideFileExists(const std::wstring& path) {
  DirectoryReader reader(path);
  return reader.Next() && !reader.IsFolder();
}

bool WideFolderExists(const std::wstring& path) {
  if (IsBareDrive(path)) {
    std::string native;
    struct stat st;
    return ToNativePath(path.substr(0, 2) + L"\\", native) && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  if (path.empty() || IsPathSeparator(path.back())) return false;
  DirectoryReader reader(path);
  return reader.Next() && reader.IsFolder();
}

bool WideCreateFolder(const std::wstring& path) {
  std::string native;
  if (!Native(path, native)) return false;
  if (mkdir(native.c_str(), 0777) == 0) return true;
  return FailWith(errno == ENOENT ? kErrorPathNotFound : WindowsErrorFromErrno(errno));
}

uint64_t FileSize64(const std::wstring& path) {
  std::string native;
  if (!HasWildcard(FileNameOf(path)) && ToNativePath(path, native)) {
    struct stat st;
    if (lstat(native.c_str(), &st) == 0) return S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
  }
  DirectoryReader reader(path);
  return reader.Next() ? reader.Size() : 0;
}

uint32_t FileAttributes(const std::wstring& path) {
  std::string native;
  if (!Native(path, native)) return kInvalidAttributes;
  Status s = StatusOf(native);
  if (!s.found) {
    FailWithErrno();
    return kInvalidAttributes;
  }
  return AttributesOf(s.kind, IsHiddenName(BaseName(native)), &s.st);
}

bool SetFileAttributesTo(const std::wstring& path, uint32_t attributes) {
  std::string native;
  if (!Native(path, native)) return false;
  struct stat st;
  if (lstat(native.c_str(), &st) != 0) return FailWithErrno();
  if (S_ISLNK(st.st_mode)) return true;  // a link has no permissions of its own
  mode_t mode = st.st_mode & 07777;
  mode_t wanted = (attributes & kAttrReadOnly) ? (mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  if (wanted == mode) return true;
  // Never through a link planted meanwhile: a link refuses the change.
  if (fchmodat(AT_FDCWD, native.c_str(), wanted, AT_SYMLINK_NOFOLLOW) == 0) return true;
  return FailWithErrno();
}

bool DeleteFileAt(const std::wstring& path) {
  std::string native;
  if (!Native(path, native)) return false;
  Status s = StatusOf(native);
  if (!s.found) return FailWithErrno();
  if (IsFolderKind(s.kind)) return FailWith(kErrorAccessDenied);
  if (s.kind == Kind::File && !(s.st.st_mode & S_IWUSR)) return FailWith(kErrorAccessDenied);
  if (unlink(native.c_str()) == 0) return true;
  return FailWithErrno();
}

bool RemoveEmptyFolder(const std::wstring& path) {
  std::string native;
  if (!Native(path, native)) return false;
  Status s = StatusOf(native);
  if (!s.found) return FailWithErrno();
  if (!IsFolderKind(s.kind)) return FailWith(kErrorDirectory);
  // A folder link goes as itself; what it leads to stays untouched.
  if (s.kind == Kind::FolderLink) return unlink(native.c_str()) == 0 || FailWithErrno();
  if (rmdir(native.c_str()) == 0) return true;
  return FailWith(errno == EEXIST ? kErrorDirNotEmpty : WindowsErrorFromErrno(errno));
}

bool MoveFileTo(const std::wstring& from, const std::wstring& to) {
  std::string nativeFrom, nativeTo;
  if (!Native(from, nativeFrom) || !Native(to, nativeTo)) return false;
  if (renameat2(AT_FDCWD, nativeFrom.c_str(), AT_FDCWD, nativeTo.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return FailWithErrno();
  // File systems without RENAME_NOREPLACE: check, then rename.
  struct stat st;
  if (lstat(nativeTo.c_str(), &st) == 0) return FailWith(kErrorAlreadyExists);
  if (rename(nativeFrom.c_str(), nativeTo.c_str()) == 0) return true;
  return FailWithErrno();
}

struct FileReader::Impl {
  int fd = -1;
  uint64_t size = 0;
  ~Impl() {
    if (fd >= 0) close(fd);
  }
};

FileReader::FileReader(const std::wstring& path) : impl_(new Impl) {
  std::string native;
  if (!Native(path, native)) return;
  // O_NONBLOCK: a FIFO under a file's name must not hang the reader.
  int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    FailWithErrno();
    return;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    FailWith(kErrorAccessDenied);
    return;
  }
  impl_->fd = fd;
  impl_->size = uint64_t(st.st_size);
}

FileReader::~FileReader() = default;

bool FileReader::IsOpen() const { return impl_->fd >= 0; }

uint64_t FileReader::Size() const { return impl_->size; }

int64_t FileReader::Read(void* buffer, size_t count) {
  if (impl_->fd < 0) return -1;
  for (;;) {
    ssize_t n = read(impl_->fd, buffer, count);
    if (n >= 0) return n;
    if (errno != EINTR) {
      FailWithErrno();
      return -1;
    }
  }
}

}  // namespace platform
