// What the program does after every language switch apart from the
// windows' own texts, which the language file has rewritten already.
#pragma once

#include "i18n/text_storage.h"

// The unit names of every size text from then on: the main window's table's
// "b.", "Kb.", "Mb.", "Gb." and "Tb." in the current language.
void TakeSizeUnitsFrom(const TTextStorage& main_ts);
