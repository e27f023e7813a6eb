// The review list of the real main window at many rows. A worker hands the
// rows of a planted tree to the window one at a time through the window
// dispatcher (the hand-over the analysis uses); the baseline in the same run
// adds the same rows to a ReviewList with no window. Then, from the window's
// message loop: sorts by "Size", "Check all", a per-type command and a click
// in the list. For each, how long its handler holds the GUI thread, how long
// until its result shows (the sizes are read by a helper thread), and the
// longest gap a 10 ms timer on the GUI thread saw meanwhile.
//
//   gui_list_bench <folder> [rows]
// plants the listing benchmark's tree below <folder> when it is not there.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "app/main_dlg.h"
#include "bench/bench_tree.h"
#include "gui/window_dispatcher.h"
#include "platform/win32/handle.h"
#include "model/format_size.h"
#include "model/review_sort.h"

namespace {

using namespace benchtree;
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// The longest gap between two ticks of a 10 ms timer on the GUI thread since
// the last Reset.
struct StallWatch {
  static inline Clock::time_point last;
  static inline double longestMs = 0;
  static inline unsigned ticks = 0;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    const Clock::time_point now = Clock::now();
    longestMs = std::max(longestMs, Ms(last, now));
    last = now;
    ++ticks;
  }
  static void Reset() {
    last = Clock::now();
    longestMs = 0;
  }
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Serves the GUI thread's messages until done() holds, then until one more
// tick, so that a gap still open is seen.
void ServeUntil(const std::function<bool()>& done) {
  while (!done()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    Pump();
  }
  const unsigned seen = StallWatch::ticks;
  while (StallWatch::ticks == seen) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    Pump();
  }
}

struct Row {
  std::wstring caption, path, sizeText;
};

const wchar_t* const kCaptions[] = {L"Temporary Files", L"Windows Log Files", L"Firefox Cache", L"Thumbnails Cache"};

// The tree's files in name order, a type per top folder as an analysis
// finds them category by category.
void CollectRows(const std::wstring& folder, const wchar_t* caption, std::vector<Row>& rows) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> folders;
  do {
    if (IsDots(fd.cFileName)) continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      folders.push_back(fd.cFileName);
    } else {
      const uint64_t size = (uint64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
      rows.push_back({caption, folder + L"\\" + fd.cFileName, FormatSize(int64_t(size))});
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(folders.begin(), folders.end());
  for (size_t i = 0; i < folders.size(); ++i)
    CollectRows(folder + L"\\" + folders[i], caption ? caption : kCaptions[i % std::size(kCaptions)], rows);
}

// Gives the planted files sizes of up to 3 MiB, so that a sort by size has
// an order to find (the files stay sparse).
void GiveSizes(const std::vector<Row>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) {
    const platform::Handle file(
        CreateFileW(rows[i].path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    size.QuadPart = LONGLONG((i * 7919) % (3 << 20));
    if (file.Valid() && SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN)) SetEndOfFile(file.Get());
  }
}

// Adds the rows on a worker thread; each row through add. Rows per second.
double AddOnWorker(const std::vector<Row>& rows, const std::function<void(const Row&)>& add,
                   const std::function<void(const std::function<bool()>&)>& serve) {
  std::atomic<bool> finished{false};
  const Clock::time_point start = Clock::now();
  std::thread worker([&] {
    for (const Row& row : rows) add(row);
    finished = true;
  });
  serve([&] { return finished.load(); });
  worker.join();
  return rows.size() / (Ms(start, Clock::now()) / 1000);
}

struct Figures {
  double blockedMs, doneMs, stallMs;
};

constexpr int kSortRounds = 3;

// Runs a command from the message loop and serves until its result shows.
Figures Measure(TMainDlg& window, const std::function<void()>& command) {
  Pump();
  StallWatch::Reset();
  const Clock::time_point start = Clock::now();
  command();
  const Clock::time_point returned = Clock::now();
  ServeUntil([&] { return !window.SizesPending(); });
  // The result arrives in the serving loop; done is when it has been taken.
  return {Ms(start, returned), Ms(start, Clock::now()), StallWatch::longestMs};
}

// A phase's end, for a run that takes long.
void Note(const char* phase) {
  static const Clock::time_point start = Clock::now();
  std::fprintf(stderr, "%7.1f s  %s\n", Ms(start, Clock::now()) / 1000, phase);
}

size_t TotalsCount(const std::wstring& totals) {
  const size_t slash = totals.find(L" / ");
  return slash == std::wstring::npos ? size_t(-1) : size_t(std::wcstoull(totals.c_str() + slash + 3, nullptr, 10));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gui_list_bench <folder> [rows]\n");
    return 2;
  }
  const std::wstring root = FromArg(argv[1]);
  const size_t wanted = argc > 2 ? size_t(std::atoll(argv[2])) : 200000;
  std::vector<Row> rows;
  if (!Exists(Join(root, L"t0"))) {
    Plant(root, int(wanted));
    CollectRows(root, nullptr, rows);
    GiveSizes(rows);
    rows.clear();
  }
  CollectRows(root, nullptr, rows);
  if (rows.size() < wanted) {
    std::printf("gui-list: the tree holds %zu files, %zu wanted\n", rows.size(), wanted);
    return 1;
  }
  rows.resize(wanted);

  // The baseline: the model alone, fed from a worker with nothing to wait for.
  auto justWait = [](const std::function<bool()>& finished) {
    while (!finished()) Sleep(1);
  };
  double modelRate = 0;
  for (int round = 0; round < 3; ++round) {
    ReviewList model;
    modelRate = std::max(modelRate, AddOnWorker(rows, [&model](const Row& r) { model.Add(r.caption, r.path, r.sizeText); },
                                                justWait));
  }

  Note("model baseline done");
  ReviewList list;
  TMainDlg window(list);
  window.SetExpertMode(false);
  window.Show();
  WindowDispatcher dispatcher;
  SetTimer(nullptr, 0, 10, StallWatch::Tick);
  Pump();
  Note("window shown");

  // What the hand-over costs by itself: empty round trips to the GUI thread.
  const double roundTripRate = AddOnWorker(
      rows, [&](const Row&) { dispatcher.Invoke([] {}); },
      [](const std::function<bool()>& finished) { ServeUntil(finished); });
  Note("empty round trips done");

  StallWatch::Reset();
  const double windowRate = AddOnWorker(
      rows,
      [&](const Row& r) {
        dispatcher.Invoke([&] {
          list.Add(r.caption, r.path, r.sizeText);
          window.ReviewListChanged();
        });
      },
      [](const std::function<bool()>& finished) { ServeUntil(finished); });
  const double fillStall = StallWatch::longestMs;
  if (window.lst.RowCount() != wanted) {
    std::printf("gui-list: the list shows %zu rows, %zu handed over\n", window.lst.RowCount(), wanted);
    return 1;
  }

  Note("rows handed over");
  // The size reads' timing varies from run to run under Wine: three sorts
  // (up, down, up again), and the worst figures of the three count.
  Figures sort{0, 0, 0};
  for (int round = 0; round < kSortRounds; ++round) {
    const Figures one = Measure(window, [&] { window.lstColumnClick(int(kSizeColumn)); });
    sort = {std::max(sort.blockedMs, one.blockedMs), std::max(sort.doneMs, one.doneMs),
            std::max(sort.stallMs, one.stallMs)};
  }
  std::unordered_map<std::wstring, uint64_t> sizes;
  for (const Row& r : rows) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(r.path.c_str(), GetFileExInfoStandard, &data))
      sizes[r.path] = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  for (size_t i = 1; i < list.Count(); ++i)
    if (sizes[list.At(i - 1).path] > sizes[list.At(i).path]) {
      std::printf("gui-list: the list is not in size order at row %zu\n", i);
      return 1;
    }
  if (sizes[list.At(0).path] == sizes[list.At(list.Count() - 1).path]) {
    std::printf("gui-list: the files all have one size\n");
    return 1;
  }
  window.uncheckall_btnClick();
  const Figures checkAll = Measure(window, [&] { window.checkall_btn.Click(); });
  window.lst.SelectRow(0);
  const std::wstring firstType = list.At(0).caption;
  const Figures perType = Measure(window, [&] {
    window.PopupLstPopup();
    window.UncheckAll2Click();
  });
  const Figures click = Measure(window, [&] { window.lstClick(); });

  size_t stillChecked = 0;
  for (size_t i = 0; i < list.Count(); ++i) stillChecked += list.Checked(i);
  const size_t shown = TotalsCount(window.status.PanelText(0));
  if (stillChecked != wanted - std::count_if(rows.begin(), rows.end(), [&](const Row& r) { return r.caption == firstType; }) ||
      shown != stillChecked) {
    std::printf("gui-list: %zu rows checked, the totals say %zu\n", stillChecked, shown);
    return 1;
  }

  auto line = [](const char* name, const Figures& f) {
    std::printf("%-10s holds the GUI thread %.1f ms, result shown after %.1f ms, longest timer gap %.1f ms\n", name,
                f.blockedMs, f.doneMs, f.stallMs);
  };
  std::printf("rows: %zu, four types; sizes read from the files\n", wanted);
  std::printf("hand-over: %.0f empty round trips/s; longest timer gap while the rows came in %.1f ms\n",
              roundTripRate, fillStall);
  std::printf("sort: the worst of %d sorts\n", kSortRounds);
  line("sort", sort);
  line("check all", checkAll);
  line("per type", perType);
  line("click", click);
  const double longest = std::max({sort.stallMs, checkAll.stallMs, perType.stallMs, click.stallMs});
  std::printf("gui-list: rows/s window %.0f model %.0f, ratio %.3f, longest stall %.0f ms, sort %.0f ms "
              "(stalls: click %.0f, check all %.0f, per type %.0f, sort %.0f ms)\n",
              windowRate, modelRate, windowRate / modelRate, longest, sort.doneMs, click.stallMs, checkAll.stallMs,
              perType.stallMs, sort.stallMs);
  return 0;
}
