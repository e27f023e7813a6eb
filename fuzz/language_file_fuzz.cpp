// Language files, which anyone can drop beside the program: the record walker
// ends in both directions within the records the bytes can hold, the loader
// either applies a well-formed file or changes nothing, and never writes the
// file, and the translators' text form gives back the very same file. The
// input is the whole file, signature included.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "i18n/language_record.h"
#include "i18n/language_text.h"
#include "i18n/record_file.h"
#include "platform/posix/wine_prefix.h"
#include "tests/support/fake_components.h"

namespace {

using testsupport::FakeControl;

// One folder per process, on a memory file system when there is one. Never
// freed, so that it is still there for the removal at exit.
const std::string& Folder() {
  static const std::string* folder = [] {
    auto* made = new std::string(std::filesystem::exists("/dev/shm") ? "/dev/shm/pgfuzz-XXXXXX" : "/tmp/pgfuzz-XXXXXX");
    FUZZ_CHECK(mkdtemp(made->data()) != nullptr);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Folder(), ec);
    });
    return made;
  }();
  return *folder;
}

std::string ReadBack(const std::string& native) {
  std::ifstream in(native, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The windows a loader meets: a caption and hint, a list with a selection,
// lines, layout properties, a text table, and a component with no name.
struct Windows {
  Component app{L""};
  FakeControl main{L"MainDlg", &app};
  FakeControl clean{L"clean_btn", &main};
  FakeControl combo{L"method_cmb", &main, FakeControl::kItems | FakeControl::kItemIndex | FakeControl::kFont};
  FakeControl memo{L"notes_mem", &main, FakeControl::kLines | FakeControl::kText};
  FakeControl label{L"now_lbl", &main, FakeControl::kCaption | FakeControl::kAlignment | FakeControl::kLayout};
  FakeControl table{L"main_ts", &main, FakeControl::kItems};
  FakeControl about{L"AboutDlg", &app};
  FakeControl unnamed{L"", &about};
  FakeControl inner{L"ok_btn", &unnamed, FakeControl::kCaption | FakeControl::kText | FakeControl::kFont};
  Windows() {
    main.caption = L"Purgello";
    clean.caption = L"Clean";
    clean.hint = L"Clean now";
    combo.items = {L"Standard", L"1 Pass", L"3 Passes"};
    combo.itemIndex = 2;
    memo.items = {L"a", L"b"};
    label.caption = L"Now";
    table.items = {L"Done !", L"unused"};
    inner.caption = L"OK";
  }
  std::vector<FakeControl*> All() { return {&main, &clean, &combo, &memo, &label, &table, &about, &unnamed, &inner}; }
  std::vector<std::optional<PropertyValue>> State() {
    std::vector<std::optional<PropertyValue>> state;
    for (FakeControl* c : All())
      for (int p = 0; p <= static_cast<int>(Property::Layout); ++p) state.push_back(c->Get(static_cast<Property>(p)));
    return state;
  }
};

// Walks the open file every way; returns whether it is consistent.
bool Walk(TStorefile& file, size_t size) {
  const size_t most = size / 12 + 1;  // a record takes at least 12 bytes
  size_t steps = 0;
  for (file.First(); file.Next();) FUZZ_CHECK(++steps <= most);
  FUZZ_CHECK(file.AtEnd());
  const size_t forward = steps;
  steps = 0;
  for (file.Last(); file.Prior();) FUZZ_CHECK(++steps <= most);
  const size_t backward = steps;
  steps = 0;
  for (file.First(); !file.AtEnd(); ++steps) {
    FUZZ_CHECK(steps < most);
    const int peek = file.PeekSize();
    FUZZ_CHECK(peek >= 0 && static_cast<size_t>(peek) <= size);
    std::string data;
    int wanted = -1;
    file.ReadData(data, wanted, true);
    FUZZ_CHECK(wanted == peek && data.size() == static_cast<size_t>(peek));
  }
  const bool consistent = file.Consistent();
  if (consistent) {
    // Every record is reached both ways, and GoTo lands on the last one.
    FUZZ_CHECK(forward == static_cast<size_t>(file.RecordCount()));
    FUZZ_CHECK(forward == 0 || backward == forward - 1);
    if (forward > 0) {
      FUZZ_CHECK(file.GoTo(file.RecordCount() - 1));
      FUZZ_CHECK(file.Next() && file.AtEnd());
    }
  }
  return consistent;
}

}  // namespace

int FuzzLanguageFile(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string native = Folder() + "/input.spk";
  {
    std::ofstream out(native, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  const std::wstring path = platform::FromNativePath(native);

  bool consistent = false;
  int records = 0;
  for (bool readOnly : {true, false}) {
    TStorefile file;
    file.Signature = kLanguageSignature;
    file.Filename = path;
    file.ReadOnly = readOnly;
    if (file.Open()) {
      consistent = Walk(file, size);
      records = file.RecordCount();
    }
    file.Close();
    FUZZ_CHECK(ReadBack(native) == bytes);
  }

  // Every file the text form takes comes back from it byte for byte.
  std::string text, error;
  if (LanguageFileToText(path, text, error)) {
    const std::string backNative = Folder() + "/back.spk";
    FUZZ_CHECK(TextToLanguageFile(text, platform::FromNativePath(Folder() + "/"), platform::FromNativePath(backNative), error));
    FUZZ_CHECK(ReadBack(backNative) == bytes);
  }

  Windows windows;
  const auto before = windows.State();
  TLanguageRecord record(windows.app);
  bool systemFontsSet = false;
  record.setSystemFontsCharset = [&systemFontsSet](int) { systemFontsSet = true; };
  const LoadResult result = record.LoadAndApply(path);
  FUZZ_CHECK(ReadBack(native) == bytes);
  if (!consistent || records < 6) FUZZ_CHECK(result == LoadResult::NotLanguageFile);
  FUZZ_CHECK(record.flagBitmap.empty() || IsWellFormedBitmap(record.flagBitmap));
  if (result != LoadResult::Loaded) {
    FUZZ_CHECK(windows.State() == before);
    FUZZ_CHECK(!systemFontsSet);
    return 0;
  }
  // Lists keep their length and selection whatever the file says.
  FUZZ_CHECK(windows.combo.items.size() == 3 && windows.combo.itemIndex == 2);
  FUZZ_CHECK(windows.memo.items.size() == 2 && windows.table.items.size() == 2);

  // What was loaded can be written again as a file that loads.
  const std::string templateNative = Folder() + "/template.spk";
  record.SaveTemplate(platform::FromNativePath(templateNative));
  Windows fresh;
  TLanguageRecord reread(fresh.app);
  FUZZ_CHECK(reread.LoadAndApply(platform::FromNativePath(templateNative)) == LoadResult::Loaded);
  FUZZ_CHECK(reread.languageId == record.languageId && reread.revisionRead == 4);
  FUZZ_CHECK(reread.flagBitmap == record.flagBitmap);
  return 0;
}
