#include "model/review_list.h"

#include "model/catalogue.h"
#include "model/erase_indices.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"

bool IsRecycleBinRow(const FoundItem& item) { return item.caption == kRecycleBinCaption; }

void ReviewList::Add(const std::wstring& caption, const std::wstring& path, const std::wstring& sizeText,
                     platform::FileIdentity identity) {
  items_.push_back(FoundItem{caption, path, sizeText, true, std::move(identity)});
}

void ReviewList::SetCheckAll(bool checked) {
  for (FoundItem& item : items_) item.checked = checked;
}

void ReviewList::SetCheckByCaption(const std::wstring& caption, bool checked) {
  for (FoundItem& item : items_)
    if (item.caption == caption) item.checked = checked;
}

void ReviewList::Delete(size_t index) {
  if (index < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void ReviewList::DeleteRows(const std::vector<size_t>& indices) { EraseIndices(items_, indices); }

uint64_t ReviewList::CheckedItemsCount() const {
  uint64_t count = 0;
  for (const FoundItem& item : items_) {
    if (!item.checked) continue;
    count += IsRecycleBinRow(item) ? platform::RecycleBinItemCount() : 1;
  }
  return count;
}

uint64_t ReviewList::CheckedItemsSize() const {
  uint64_t bytes = 0;
  for (const FoundItem& item : items_)
    if (item.checked) bytes += CurrentRowSize(item);
  return bytes;
}

void ReviewList::Reorder(const std::vector<size_t>& order) {
  if (order.size() != items_.size()) return;
  std::vector<bool> seen(order.size(), false);
  for (size_t old : order) {
    if (old >= order.size() || seen[old]) return;
    seen[old] = true;
  }
  std::vector<FoundItem> sorted;
  sorted.reserve(items_.size());
  for (size_t old : order) sorted.push_back(std::move(items_[old]));
  items_ = std::move(sorted);
}

uint64_t CurrentRowSize(const FoundItem& item) {
  return IsRecycleBinRow(item) ? platform::RecycleBinSize() : platform::FileSize64(item.path);
}
