// The language chooser's behaviour apart from its window: the rows it shows
// from the switcher, the heading above them, the row a switch selects, and the
// geometry of a drawn row. The settings dialog's list box draws and clicks
// through it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "i18n/lang_list.h"

// Where one row's parts go, for a row from top to bottom at left and a flag
// picture of flagWidth x flagHeight (pixels at dpi; the distances are design
// pixels, scaled). Divisions truncate toward zero.
struct FlagRowLayout {
  int frameLeft, frameTop, frameWidth, frameHeight;  // a frame around the flag
  int flagLeft, flagTop;
  int textLeft, textTop;
};
FlagRowLayout LayOutFlagRow(int left, int top, int bottom, int flagWidth, int flagHeight, int textHeight,
                            int dpi = 96);

class LanguageChoice {
 public:
  LanguageChoice() = default;
  ~LanguageChoice();
  LanguageChoice(const LanguageChoice&) = delete;
  LanguageChoice& operator=(const LanguageChoice&) = delete;

  // Scans the switcher's folder, shows its languages and listens to its
  // switches, passing each on to the listener it had. nullptr empties the rows.
  void SetLanguageList(TLangList* list);
  TLangList* LanguageList() const { return list_; }

  const std::vector<std::wstring>& Rows() const { return rows_; }
  int SelectedRow() const { return selected_; }
  const std::wstring& Heading() const { return heading_; }

  // A click on a row: the switcher switches to it.
  SwitchResult Click(int row);

  // The view shows the selection and the heading anew.
  std::function<void()> onChanged;
  // After a click has switched the language.
  std::function<void()> OnClick;

 private:
  void AfterSwitch();

  TLangList* list_ = nullptr;
  std::function<void()> passedOn_;
  std::vector<std::wstring> rows_;
  int selected_ = -1;
  std::wstring heading_;
};
