#include "model/review_list.h"

#include "model/catalogue.h"
#include "model/erase_indices.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"

bool IsRecycleBinRow(const FoundItem& item) { return item.caption == kRecycleBinCaption; }

namespace {

// Items a block holds at most: few blocks to share for many rows.
constexpr size_t kBlockItems = 1024;

}  // namespace

void ReviewList::Clear() {
  rows_.clear();
  blocks_.clear();
}

void ReviewList::Add(const std::wstring& caption, const std::wstring& path, const std::wstring& sizeText,
                     platform::FileIdentity identity) {
  // A shared block may be read by another thread through its copy of the
  // list; appending to it would not move what it reads, but the copy may
  // append too.
  if (blocks_.empty() || blocks_.back()->size() == kBlockItems || blocks_.back().use_count() > 1)
    blocks_.push_back(std::make_shared<Block>());
  Block& block = *blocks_.back();
  block.push_back(FoundItem{caption, path, sizeText, std::move(identity)});
  rows_.push_back(Row{&block.back(), true});
}

void ReviewList::SetCheckAll(bool checked) {
  for (Row& row : rows_) row.checked = checked;
}

void ReviewList::SetCheckByCaption(const std::wstring& caption, bool checked) {
  for (Row& row : rows_)
    if (row.item->caption == caption) row.checked = checked;
}

void ReviewList::Delete(size_t index) {
  if (index < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

void ReviewList::DeleteRows(const std::vector<size_t>& indices) { EraseIndices(rows_, indices); }

uint64_t ReviewList::CheckedItemsCount() const {
  uint64_t count = 0;
  for (const Row& row : rows_) {
    if (!row.checked) continue;
    count += IsRecycleBinRow(*row.item) ? platform::RecycleBinItemCount() : 1;
  }
  return count;
}

uint64_t ReviewList::CheckedItemsSize() const {
  uint64_t bytes = 0;
  for (const Row& row : rows_)
    if (row.checked) bytes += CurrentRowSize(*row.item);
  return bytes;
}

void ReviewList::Reorder(const std::vector<size_t>& order) {
  if (order.size() != rows_.size()) return;
  std::vector<bool> seen(order.size(), false);
  for (size_t old : order) {
    if (old >= order.size() || seen[old]) return;
    seen[old] = true;
  }
  std::vector<Row> sorted;
  sorted.reserve(rows_.size());
  for (size_t old : order) sorted.push_back(std::move(rows_[old]));
  rows_ = std::move(sorted);
}

uint64_t CurrentRowSize(const FoundItem& item) {
  return IsRecycleBinRow(item) ? platform::RecycleBinSize() : platform::FileSize64(item.path);
}
