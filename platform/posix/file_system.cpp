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
#include <cstring>
#include <memory>
#include <vector>

#include "platform/posix/descriptor.h"
#include "platform/posix/last_error.h"
#include "platform/posix/linux_names.h"
#include "platform/posix/long_path.h"
#include "platform/posix/ntfs_names.h"
#include "platform/posix/wine_prefix.h"
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

// Sets a wide text to a Linux name's Windows name; plain ASCII names (the
// common case) need no mapping, and the text's buffer is reused.
void AssignWide(const char* name, size_t length, std::wstring& out) {
  out.resize(length);
  wchar_t* to = &out[0];
  for (size_t i = 0; i < length; ++i) {
    const unsigned char b = static_cast<unsigned char>(name[i]);
    if (!IsPlainNameByte(b)) {
      out.resize(i);
      AppendWindowsName(name + i, length - i, out);
      return;
    }
    to[i] = wchar_t(b);
  }
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

// The status of the entry a Windows path names, read while the path is mapped
// (one lstat when its letter case matches the disk, as nearly always). found
// is false with the error set when nothing is there.
Status StatusOfPath(const std::wstring& path, std::string& native) {
  Status s;
  switch (ToNativePathWithStatus(path, native, s.st)) {
    case NativeEntry::NoDrive:
      FailWith(kErrorPathNotFound);
      return s;
    case NativeEntry::Missing:
      FailWithErrno();
      return s;
    case NativeEntry::Present:
      break;
  }
  s.found = true;
  s.kind = KindOf(AT_FDCWD, native.c_str(), s.st);
  return s;
}

struct Entry {
  uint32_t nativeOffset, nativeLength;  // the Linux name, NUL-terminated in `natives`
  uint32_t keyOffset, keyLength;        // its sort key in `keys`
  uint64_t head;                        // key bytes after the folder's common prefix
  Kind kind;
  bool dots;
};

// A folder's names in a few flat buffers rather than one string per entry.
// Readers hand their buffers back to a per-thread pool, so a walk over
// thousands of folders allocates (and faults in) its memory once.
struct Buffers {
  std::vector<char> listing;  // what getdents64 returns
  std::string natives;
  std::string keys;
  std::vector<Entry> entries;
};

constexpr size_t kPooledBuffers = 16;
constexpr size_t kListingBytes = 64u << 10;
constexpr size_t kPooledBytes = 1u << 20;

std::vector<std::unique_ptr<Buffers>>& Pool() {
  static thread_local std::vector<std::unique_ptr<Buffers>> pool;
  return pool;
}

std::unique_ptr<Buffers> TakeBuffers() {
  auto& pool = Pool();
  if (pool.empty()) return std::make_unique<Buffers>();
  std::unique_ptr<Buffers> buffers = std::move(pool.back());
  pool.pop_back();
  return buffers;
}

void ReturnBuffers(std::unique_ptr<Buffers> buffers) {
  if (!buffers) return;
  auto& pool = Pool();
  size_t bytes = buffers->listing.capacity() + buffers->natives.capacity() + buffers->keys.capacity() +
                 buffers->entries.capacity() * sizeof(Entry);
  if (pool.size() >= kPooledBuffers || bytes > kPooledBytes) return;
  buffers->natives.clear();
  buffers->keys.clear();
  buffers->entries.clear();
  pool.push_back(std::move(buffers));
}

}  // namespace

struct DirectoryReader::Impl {
  // The folder is open only while it is read: a walk holds a reader per level,
  // and a descriptor each would run out in a deep tree. Statuses asked later
  // are read by path.
  std::string folder;
  std::unique_ptr<Buffers> buffers = TakeBuffers();
  size_t next = 0;
  bool single = false;  // a plain path: one entry, status read with it
  bool unreadable = false;

  std::wstring name;
  bool statRead = false;
  bool statOk = false;
  struct stat st {};

  ~Impl() { ReturnBuffers(std::move(buffers)); }

  const Entry& Current() const { return buffers->entries[next - 1]; }
  const char* NativeName(const Entry& e) const { return buffers->natives.c_str() + e.nativeOffset; }

  void ReadStatus() {
    if (statRead) return;
    statRead = true;
    statOk = LstatAnyLength(folder + "/" + NativeName(Current()), st) == 0;
  }

  void Add(const char* nativeName, size_t nativeLength, Kind kind, bool dots) {
    Buffers& b = *buffers;
    size_t keyStart = b.keys.size();
    if (!dots) AppendNtfsSortKey(nativeName, nativeLength, b.keys);
    b.entries.push_back(Entry{uint32_t(b.natives.size()), uint32_t(nativeLength), uint32_t(keyStart),
                              uint32_t(b.keys.size() - keyStart), 0, kind, dots});
    b.natives.append(nativeName, nativeLength);
    b.natives += '\0';
  }

  void LookUpOne(const std::wstring& pattern);
  void ReadFolder(const std::wstring& folder, const std::wstring& mask, bool atRoot);
  void Sort();
};

void DirectoryReader::Impl::LookUpOne(const std::wstring& pattern) {
  std::string native;
  Status s = StatusOfPath(pattern, native);
  if (!s.found) return;
  // One entry, whose status is known already: the name shown is the last
  // component of the path as it is on disk.
  Add(native.data(), native.size(), s.kind, false);
  Entry& e = buffers->entries.back();
  size_t base = size_t(BaseName(native) - native.c_str());
  e.nativeOffset += uint32_t(base);
  e.nativeLength -= uint32_t(base);
  single = true;
  statRead = statOk = true;
  st = s.st;
}

void DirectoryReader::Impl::ReadFolder(const std::wstring& folder, const std::wstring& mask, bool atRoot) {
  // The literal path first: it is right whenever the letter case matches the
  // disk, and costs no lookups.
  std::string native;
  int error = ENOENT;
  auto openFolder = [](const std::string& path) {
    LongPathBase base(path);
    return base.Fd() == -1 ? -1 : openat(base.Fd(), base.Rest(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  };
  int fd = -1;
  if (LiteralNativePath(folder, native)) {
    fd = openFolder(native);
    if (fd < 0) error = errno;
  }
  if (fd < 0 && (error == ENOENT || error == ENOTDIR)) {
    std::string resolved;
    if (ToNativePath(folder, resolved) && resolved != native) {
      fd = openFolder(resolved);
      if (fd < 0) error = errno;
      else native = std::move(resolved);
    }
  }
  if (fd < 0) {
    unreadable = error != ENOENT && error != ENOTDIR;
    FailWith(unreadable ? WindowsErrorFromErrno(error) : kErrorPathNotFound);
    return;
  }
  const Descriptor owned(fd);
  this->folder = std::move(native);
  const int dirFd = fd;
  FindMask findMask(mask);
  std::wstring wide;

  // getdents64 straight into a pooled buffer: a whole folder of a thousand
  // entries in one or two calls, and nothing of readdir's per-entry work.
  std::vector<char>& listing = buffers->listing;
  if (listing.size() < kListingBytes) listing.resize(kListingBytes);
  for (;;) {
    ssize_t got = getdents64(fd, listing.data(), listing.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) unreadable = true;
    if (got <= 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* e = reinterpret_cast<const dirent64*>(listing.data() + at);
      at += e->d_reclen;
      const char* entryName = e->d_name;
      bool dots = IsDots(entryName);
      // NTFS has no "." and ".." at the root of a drive.
      if (dots && atRoot) continue;
      size_t nativeLength = std::char_traits<char>::length(entryName);
      if (!findMask.MatchesAll()) {
        AssignWide(entryName, nativeLength, wide);
        if (!findMask.Matches(wide)) continue;
      }
      Kind kind = Kind::File;
      struct stat st;
      switch (e->d_type) {
        case DT_DIR: kind = Kind::Folder; break;
        case DT_LNK:
          kind = (fstatat(dirFd, entryName, &st, 0) == 0 && S_ISDIR(st.st_mode)) ? Kind::FolderLink : Kind::FileLink;
          break;
        case DT_UNKNOWN:
          if (fstatat(dirFd, entryName, &st, AT_SYMLINK_NOFOLLOW) == 0) kind = KindOf(dirFd, entryName, st);
          break;
        default: break;
      }
      Add(entryName, nativeLength, kind, dots);
    }
  }
  Sort();
  if (buffers->entries.empty()) FailWith(kErrorFileNotFound);
}

// memcmp order of two keys, eight bytes at a time (the buffer keeps eight
// spare bytes past its last key, so the loads never leave it).
inline uint64_t LoadBigEndian(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return __builtin_bswap64(v);
}

inline int KeyCompare(const char* a, size_t aLength, const char* b, size_t bLength) {
  size_t common = aLength < bLength ? aLength : bLength;
  size_t i = 0;
  for (; i + 8 <= common; i += 8) {
    uint64_t x = LoadBigEndian(a + i), y = LoadBigEndian(b + i);
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < common) {
    unsigned drop = unsigned(8 * (8 - (common - i)));
    uint64_t x = LoadBigEndian(a + i) >> drop, y = LoadBigEndian(b + i) >> drop;
    if (x != y) return x < y ? -1 : 1;
  }
  return aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
}

void DirectoryReader::Impl::Sort() {
  std::vector<Entry>& entries = buffers->entries;
  // NTFS gives "." and ".." first; only the rest is sorted by name.
  auto first = std::partition(entries.begin(), entries.end(), [](const Entry& e) { return e.dots; });
  std::sort(entries.begin(), first, [](const Entry& a, const Entry& b) { return a.nativeLength < b.nativeLength; });
  if (entries.end() - first < 2) return;

  buffers->keys.append(8, '\0');
  const char* keys = buffers->keys.data();
  // Names in one folder often share a long beginning (file-0001.tmp, ...).
  // Comparisons start after it, and most end at the eight bytes that follow,
  // kept in each entry.
  size_t common = first->keyLength;
  const char* model = keys + first->keyOffset;
  for (auto e = first + 1; e != entries.end() && common > 0; ++e) {
    const char* key = keys + e->keyOffset;
    size_t limit = std::min<size_t>(common, e->keyLength), i = 0;
    while (i + 8 <= limit && LoadBigEndian(key + i) == LoadBigEndian(model + i)) i += 8;
    while (i < limit && key[i] == model[i]) ++i;
    common = i;
  }
  for (auto e = first; e != entries.end(); ++e) {
    size_t rest = e->keyLength - common;
    uint64_t head = LoadBigEndian(keys + e->keyOffset + common);
    e->head = rest >= 8 ? head : (rest == 0 ? 0 : head & ~(~uint64_t(0) >> (8 * rest)));
  }

  const char* natives = buffers->natives.data();
  std::sort(first, entries.end(), [keys, natives, common](const Entry& a, const Entry& b) {
    if (a.head != b.head) return a.head < b.head;
    int order = KeyCompare(keys + a.keyOffset + common, a.keyLength - common, keys + b.keyOffset + common,
                           b.keyLength - common);
    if (order != 0) return order < 0;
    // Names that differ only in case (Linux allows both): their own units decide.
    std::wstring p = WindowsNameOf(natives + a.nativeOffset, a.nativeLength);
    std::wstring q = WindowsNameOf(natives + b.nativeOffset, b.nativeLength);
    return CompareNtfsOrder(p.data(), p.size(), q.data(), q.size()) < 0;
  });
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
  if (d.next >= d.buffers->entries.size()) return false;
  ++d.next;
  const Entry& e = d.Current();
  AssignWide(d.NativeName(e), e.nativeLength, d.name);
  if (!d.single) d.statRead = false;
  return true;
}

const std::wstring& DirectoryReader::Name() const { return impl_->name; }

uint32_t DirectoryReader::Attributes() const {
  Impl& d = *impl_;
  if (d.next == 0) return kInvalidAttributes;
  d.ReadStatus();
  const Entry& e = d.Current();
  bool hidden = !e.dots && d.NativeName(e)[0] == '.';
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

bool DirectoryReader::Unreadable() const { return impl_->unreadable; }

bool WideFileExists(const std::wstring& path) {
  if (IsFindPattern(path)) return false;
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
  if (!HasWildcard(FileNameOf(path))) {
    Status s = StatusOfPath(path, native);
    if (s.found) return S_ISREG(s.st.st_mode) ? uint64_t(s.st.st_size) : 0;
  }
  DirectoryReader reader(path);
  return reader.Next() ? reader.Size() : 0;
}

uint32_t FileAttributes(const std::wstring& path) {
  std::string native;
  Status s = StatusOfPath(path, native);
  if (!s.found) return kInvalidAttributes;
  return AttributesOf(s.kind, IsHiddenName(BaseName(native)), &s.st);
}

bool QueryFileStatus(const std::wstring& path, FileStatus& status) {
  std::string native;
  Status s = StatusOfPath(path, native);
  if (!s.found) return false;
  status.attributes = AttributesOf(s.kind, IsHiddenName(BaseName(native)), &s.st);
  status.size = S_ISREG(s.st.st_mode) ? uint64_t(s.st.st_size) : 0;
  return true;
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

bool RemoveFileName(const std::wstring& path) {
  std::string native;
  if (!Native(path, native)) return false;
  Status s = StatusOf(native);
  if (!s.found) return FailWithErrno();
  if (IsFolderKind(s.kind)) return FailWith(kErrorAccessDenied);
  // A file's write bit plays no part in removing one of its names.
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

bool CreateHardLinkAt(const std::wstring& newPath, const std::wstring& existing) {
  std::string nativeNew, nativeExisting;
  if (!Native(newPath, nativeNew) || !Native(existing, nativeExisting)) return false;
  // Without AT_SYMLINK_FOLLOW a link gets the new name itself.
  if (linkat(AT_FDCWD, nativeExisting.c_str(), AT_FDCWD, nativeNew.c_str(), 0) == 0) return true;
  return FailWithErrno();
}

struct FileReader::Impl {
  Descriptor fd;
  uint64_t size = 0;
};

FileReader::FileReader(const std::wstring& path) : impl_(new Impl) {
  std::string native;
  if (!Native(path, native)) return;
  // Only a regular file is ever opened: a FIFO would block its opener, and a
  // device may act on being opened. So the entry itself (never a link's
  // target) is taken by an O_PATH handle, which opens nothing, and only a
  // regular file is then reopened through it for reading.
  const Descriptor entry(open(native.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (!entry.Valid()) {
    FailWithErrno();
    return;
  }
  struct stat st;
  if (fstat(entry.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    FailWith(kErrorAccessDenied);
    return;
  }
  Descriptor fd(open(("/proc/self/fd/" + std::to_string(entry.Get())).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!fd.Valid()) {
    FailWithErrno();
    return;
  }
  impl_->fd.Reset(fd.Release());
  impl_->size = uint64_t(st.st_size);
}

FileReader::~FileReader() = default;

bool FileReader::IsOpen() const { return impl_->fd.Valid(); }

uint64_t FileReader::Size() const { return impl_->size; }

int64_t FileReader::Read(void* buffer, size_t count) {
  if (!impl_->fd.Valid()) return -1;
  for (;;) {
    ssize_t n = read(impl_->fd.Get(), buffer, count);
    if (n >= 0) return n;
    if (errno != EINTR) {
      FailWithErrno();
      return -1;
    }
  }
}

}  // namespace platform
