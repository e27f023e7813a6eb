#include "cleaning/amnesia.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "platform/win_path.h"

namespace {

// Only the first 61 are drawn: the digit 9 never appears in a name.
constexpr wchar_t kNameCharacters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameAlphabetSize = 61;

}  // namespace

TAmnesia::TAmnesia() : TAmnesia([] { return std::make_unique<platform::SecureFile>(); }) {}

TAmnesia::TAmnesia(FileFactory makeFile) : makeFile_(std::move(makeFile)) { Reseed(); }

void TAmnesia::Reseed() {
  // The count keeps two reseeds within one clock tick from giving the same sequence.
  const auto ticks = uint64_t(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  std::seed_seq seed{uint32_t(ticks), uint32_t(ticks >> 32), ++reseedCount_};
  random_.seed(seed);
}

uint8_t TAmnesia::RandomFillValue() { return uint8_t(std::uniform_int_distribution<int>(0, 254)(random_)); }

std::wstring TAmnesia::RandomName() {
  Reseed();
  std::uniform_int_distribution<int> pick(0, kNameAlphabetSize - 1);
  std::wstring name(kNameLength, L'A');
  for (wchar_t& c : name) c = kNameCharacters[pick(random_)];
  return name;
}

std::wstring TAmnesia::ScrambleName(platform::SecureFile& file, const std::wstring& path) {
  std::wstring newPath = platform::FolderOf(path) + RandomName();
  return file.Rename(newPath) ? newPath : path;
}

bool TAmnesia::FillFile(platform::SecureFile& file, uint8_t value) {
  std::vector<platform::DataRange> ranges;
  if (!file.DataRanges(ranges)) return false;
  uint64_t largest = 0;
  for (const platform::DataRange& range : ranges) largest = std::max(largest, range.length);
  // A block never larger than the data: small files are the common case.
  const std::vector<uint8_t> block(size_t(std::min<uint64_t>(largest, kBlockSize)), value);
  for (const platform::DataRange& range : ranges) {
    // Writing into a hole would allocate it: a sparse file could fill the disk.
    for (uint64_t done = 0; done < range.length;) {
      const size_t count = size_t(std::min<uint64_t>(range.length - done, kBlockSize));
      if (!file.WriteAt(range.offset + done, block.data(), count)) return false;
      done += count;
    }
  }
  // Without a flush a pass may never leave the cache before the deletion.
  return file.Flush();
}

void TAmnesia::TrimFile(platform::SecureFile& file) { file.Truncate(0); }

bool TAmnesia::RunPasses(platform::SecureFile& file, DeletionMethod method) {
  switch (method) {
    case DeletionMethod::OnePassRandom:
      Reseed();
      return FillFile(file, RandomFillValue());
    case DeletionMethod::ThreePassDoD:
      Reseed();
      return FillFile(file, 0xAA) && FillFile(file, 0x55) && FillFile(file, RandomFillValue());
    default:
      return true;
  }
}

ShredResult TAmnesia::ShredFile(const std::wstring& path, DeletionMethod method, bool trim,
                                const platform::FileIdentity& identity) {
  // The standard method without a trim only takes names away: the content is
  // then not even opened for writing.
  const bool touchesContent = trim || method == DeletionMethod::OnePassRandom || method == DeletionMethod::ThreePassDoD;
  std::unique_ptr<platform::SecureFile> file = makeFile_();
  if (!file->Open(path, touchesContent ? platform::SecureAccess::Content : platform::SecureAccess::NameOnly,
                  &identity))
    return {file->Changed() ? ShredOutcome::Changed : ShredOutcome::Failed, file->LastError()};

  // Through a link or a second name the passes would destroy data that stays
  // in use elsewhere; such an entry only loses its name.
  platform::SecureFileInfo info;
  const bool known = file->Info(info);
  const bool lastName = known && !info.isLink && info.linkCount <= 1;
  const bool ownContent = touchesContent && file->CanWrite() && lastName;

  const std::wstring current = scrambleNames ? ScrambleName(*file, path) : path;
  ShredResult result;
  if (ownContent && !RunPasses(*file, method)) {
    result = {ShredOutcome::WriteError, file->LastError()};
  } else {
    if (ownContent && trim) TrimFile(*file);
    if (file->Delete()) return {ShredOutcome::Deleted, 0, lastName};
    result = {ShredOutcome::Failed, file->LastError()};
  }
  // The caller keeps the row under the old name, so the file goes back to it.
  if (current != path) file->Rename(path);
  return result;
}
