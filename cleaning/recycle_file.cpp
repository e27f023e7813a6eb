#include "cleaning/recycle_file.h"

#include <chrono>
#include <random>

#include "platform/errors.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"
#include "platform/win_path.h"

namespace {

bool SameFile(const platform::FileIdentity& a, const platform::FileIdentity& b) {
  return a.volume == b.volume && a.index == b.index;
}

// The path names the found file, reached the way it was found.
bool NamesFoundFile(const std::wstring& path, const platform::FileIdentity& found, platform::FileIdentity& now) {
  return platform::QueryFileIdentity(path, now) && SameFile(now, found) && now.resolvedPath == found.resolvedPath;
}

// A second name for the file in its folder; empty (with the last error) when
// none could be made.
std::wstring MakeSecondName(const std::wstring& path) {
  std::mt19937 random(uint32_t(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<int> pick(0, 35);
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::wstring name = L".purgello-";
    for (int i = 0; i < 12; ++i) {
      const int c = pick(random);
      name += wchar_t(c < 10 ? L'0' + c : L'a' + c - 10);
    }
    const std::wstring second = platform::FolderOf(path) + name;
    if (platform::CreateHardLinkAt(second, path)) return second;
    if (platform::LastErrorCode() != platform::kErrorAlreadyExists) break;
  }
  return std::wstring();
}

// Removes the second name, and only while it still names the file.
void DropSecondName(const std::wstring& second, const platform::FileIdentity& found) {
  platform::FileIdentity now;
  if (!platform::QueryFileIdentity(second, now) || !SameFile(now, found)) return;
  platform::RemoveFileName(second);
}

}  // namespace

RecycleResult RecycleFoundFile(const std::wstring& path, const platform::FileIdentity& identity,
                               const RecycleMove& move, const RecycleBinCount& count) {
  const auto binItems = [&count] { return count ? count() : platform::RecycleBinItemCount(); };
  platform::FileIdentity found = identity, now;
  if (!found.Known() && !platform::QueryFileIdentity(path, found)) return {RecycleOutcome::Failed, platform::LastErrorCode()};
  if (!NamesFoundFile(path, found, now)) {
    const uint32_t error = platform::LastErrorCode();
    if (now.Known()) return {RecycleOutcome::Changed, platform::kErrorAccessDenied};
    return {RecycleOutcome::Failed, error != 0 ? error : platform::kErrorFileNotFound};
  }

  const std::wstring second = MakeSecondName(path);
  if (second.empty()) return {RecycleOutcome::Failed, platform::LastErrorCode()};
  platform::FileIdentity held;
  // Names counted with the second one: the bin's name keeps that count.
  if (!platform::QueryFileIdentity(second, held) || !SameFile(held, found) || !NamesFoundFile(path, found, now)) {
    DropSecondName(second, found);
    return {RecycleOutcome::Changed, platform::kErrorAccessDenied};
  }

  const uint64_t itemsBefore = binItems();
  const bool moved = move ? move(path) : platform::MoveToRecycleBin(path);
  const uint32_t moveError = moved ? 0 : platform::LastErrorCode();

  platform::FileIdentity after;
  if (NamesFoundFile(path, found, after)) {  // still where it was
    DropSecondName(second, found);
    return {RecycleOutcome::Failed, moveError != 0 ? moveError : platform::kErrorAccessDenied};
  }
  platform::FileIdentity kept;
  // Without the second name nothing tells where the file went.
  if (!platform::QueryFileIdentity(second, kept) || !SameFile(kept, found))
    return {RecycleOutcome::Failed, moveError != 0 ? moveError : platform::kErrorFileNotFound};
  if (kept.linkCount < held.linkCount && binItems() <= itemsBefore) {
    // The move took a name and put nothing into the bin: deleted, but for the
    // second name. The file goes back under its own.
    if (!platform::MoveFileTo(second, path)) return {RecycleOutcome::Failed, platform::LastErrorCode()};
    return {RecycleOutcome::Failed, moveError != 0 ? moveError : platform::kErrorNotSupported};
  }
  DropSecondName(second, found);
  return {RecycleOutcome::Recycled, 0};
}
