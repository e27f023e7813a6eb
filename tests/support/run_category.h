// Runs one category's rule on the current platform tree and returns what it
// found as (item caption, path) pairs, in the order the rows were added.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_run.h"
#include "analysis/rules.h"
#include "model/catalogue.h"
#include "model/review_list.h"
#include "system/dispatcher.h"
#include "tests/support/planted_prefix.h"

#include <gtest/gtest.h>

namespace testsupport {

using Found = std::vector<std::pair<std::wstring, std::wstring>>;

inline Found Rows(const ReviewList& list) {
  Found found;
  for (size_t i = 0; i < list.Count(); ++i) found.emplace_back(list.At(i).caption, list.At(i).path);
  return found;
}

// The rule of one catalogue key, with the key's item caption, over the given
// known folders; *failed tells whether the rule ended the run.
inline Found RunCategoryWith(const std::wstring& key, const KnownFolders& folders, TKLog* log = nullptr,
                             bool* failed = nullptr) {
  ReviewList list;
  InlineDispatcher dispatcher;
  AnalysisHost host;
  host.dispatcher = &dispatcher;
  host.list = &list;
  host.log = log;
  AnalysisRun run(host, folders);
  const Category* category = FindCategory(key);
  if (!category) return {};
  run.SetCaption(category->itemCaption);
  if (Rule rule = RuleFor(key)) rule(run);
  if (failed) *failed = run.Failed();
  return Rows(list);
}

// The same over the platform's known folders.
inline Found RunCategory(const std::wstring& key, bool* failed = nullptr, TKLog* log = nullptr) {
  return RunCategoryWith(key, ResolveKnownFolders(), log, failed);
}

#ifndef _WIN32
// Plants each case's files in the prefix, then expects the category to find
// exactly its found files, in their order.
inline void ExpectCategoryCases(PlantedPrefix& prefix, const std::vector<CategoryCase>& cases) {
  for (const CategoryCase& c : cases) {
    SCOPED_TRACE(c.key);
    Found expected;
    for (const std::wstring& path : c.found) expected.emplace_back(FindCategory(c.key)->itemCaption, prefix.Plant(path));
    for (const std::wstring& path : c.missed) prefix.Plant(path);
    EXPECT_EQ(RunCategory(c.key), expected);
  }
}
#endif

}  // namespace testsupport
