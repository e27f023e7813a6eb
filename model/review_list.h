// The review list: found items in the order they were added. Owned by the GUI
// thread; workers change it only through the dispatcher's hand-over.
//
// A found item never changes once it is in the list; only its check does. The
// items are shared, so a copy of the list (a snapshot a helper thread reads
// while the GUI thread goes on changing the original) copies a pointer and a
// flag a row in one block of memory, and neither the texts nor anything of
// each item.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_identity.h"

struct FoundItem {
  std::wstring caption;  // the category's item caption (the Type column)
  std::wstring path;     // empty for the Recycle Bin row
  std::wstring sizeText;
  // The file as the analysis found it; the cleaning touches nothing else.
  platform::FileIdentity identity;
};

class ReviewList {
 public:
  void Clear();
  void Add(const std::wstring& caption, const std::wstring& path, const std::wstring& sizeText,
           platform::FileIdentity identity = platform::FileIdentity());
  size_t Count() const { return rows_.size(); }
  const FoundItem& At(size_t index) const { return *rows_[index].item; }
  // A row is checked when it is added.
  bool Checked(size_t index) const { return rows_[index].checked; }
  void SetChecked(size_t index, bool checked) { rows_[index].checked = checked; }
  void SetCheckAll(bool checked);
  // Rows whose caption equals the given one exactly.
  void SetCheckByCaption(const std::wstring& caption, bool checked);
  void Delete(size_t index);
  // Deletes the rows at these indices in one go (see EraseIndices).
  void DeleteRows(const std::vector<size_t>& indices);
  // Puts the rows in this order: order[i] is the old index of the new row i,
  // each old index once. Any other order leaves the list as it is.
  void Reorder(const std::vector<size_t>& order);

  // The Recycle Bin row counts as the Recycle Bin's current number of items.
  uint64_t CheckedItemsCount() const;
  // Sizes are read again now: a file that is gone counts 0.
  uint64_t CheckedItemsSize() const;

 private:
  struct Row {
    const FoundItem* item;
    bool checked;
  };
  // The items, in blocks that never move them. A copy shares the blocks; a
  // list adds only to a block it holds alone, so two lists never write to
  // one. Deleted rows' items stay until the list is cleared.
  using Block = std::deque<FoundItem>;
  std::vector<std::shared_ptr<Block>> blocks_;
  std::vector<Row> rows_;
};

bool IsRecycleBinRow(const FoundItem& item);
// The bytes a row stands for now: the Recycle Bin's for its row, otherwise the
// file's (0 when it is gone). Asks the file system: not for the GUI thread
// over many rows.
uint64_t CurrentRowSize(const FoundItem& item);
