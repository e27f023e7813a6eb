// One analysis run as the category rules see it: the known folders, the
// working lists, the step vocabulary the rules are written in, and the one
// gate, AddFoundItem, through which every found file passes.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "analysis/known_folders.h"
#include "analysis/listing.h"
#include "system/ie_stores.h"
#include "system/log.h"

class Dispatcher;
class ReviewList;

// What the worker talks to. The list, the status and the notifications belong
// to the GUI thread and are reached only through the dispatcher.
struct AnalysisHost {
  Dispatcher* dispatcher = nullptr;
  TKLog* log = nullptr;
  ReviewList* list = nullptr;
  std::function<void(const std::wstring& statusCaption)> showStatus;  // may be empty
  // may be empty; bytes: the size the row's size text was made from
  std::function<void(size_t rowIndex, int64_t bytes)> itemAdded;
  std::function<void()> done;                                          // end notification
  // may be empty; a folder a listing could not read (a missing one is not told)
  std::function<void(const std::wstring& folder)> folderUnreadable;
  // Which categories the run visits; empty means IsCategoryEnabled (the
  // settings). Called on the worker as the run reaches each category.
  std::function<bool(const std::wstring& key)> isEnabled;
  // The Internet Explorer stores the browser rules ask; the running system's
  // when not set.
  const IEStores* stores = nullptr;
  // Set by the run's owner to end it before the next category; may be null.
  const std::atomic<bool>* stop = nullptr;
};

class AnalysisRun {
 public:
  AnalysisRun(AnalysisHost& host, KnownFolders folders);

  const KnownFolders& kf() const { return folders_; }
  const IEStores& Stores() const { return host_.stores ? *host_.stores : *runningStores_; }

  // Working lists: the main list collects a rule's listing, the inner list a
  // second listing while the main list is walked, the root list a set of roots.
  PathList mainList, innerList, rootList;

  // The item caption offers are made with; set as the run reaches a category.
  void SetCaption(const std::wstring& caption) { caption_ = caption; }

  // The gate: drops desktop.ini and anything that is not an existing regular
  // file (links included), except the Recycle Bin row; hands the rest to the
  // GUI thread and returns when the row is in the review list.
  void AddFoundItem(const std::wstring& caption, const std::wstring& path);
  void Offer(const std::wstring& path) { AddFoundItem(caption_, path); }
  void OfferAll(const PathList& paths);
  void OfferIf(const PathList& paths, const std::function<bool(const std::wstring&)>& keep);

  // A folder below a known folder, or empty when the known folder is: nothing
  // is ever listed or offered below a folder the platform could not supply.
  static std::wstring Under(const std::wstring& knownFolder, const std::wstring& relative);
  // Whether a folder exists; a trailing separator is allowed, an empty path is no folder.
  static bool FolderExists(const std::wstring& path);

  // Clears the main list and fills it with one listing; returns it.
  const PathList& Files(const std::wstring& root);
  const PathList& FilesByExt(const std::wstring& root, const std::wstring& ext);
  const PathList& FilesByExtDeep(const std::wstring& root, const std::wstring& ext);
  const PathList& FoldersFlat(const std::wstring& root);

  void Log(const std::wstring& text, LogLevel level);

  // A failure that ends the run (a package that cannot be read): the rules
  // stop, later categories are not analysed, the end notification still comes.
  void Fail() { failed_ = true; }
  bool Failed() const { return failed_; }

 private:
  AnalysisHost& host_;
  KnownFolders folders_;
  std::unique_ptr<IEStores> runningStores_;
  std::wstring caption_;
  bool failed_ = false;
};
