#include "app/language_switch.h"

#include "model/format_size.h"

void TakeSizeUnitsFrom(const TTextStorage& main_ts) {
  SizeUnits units = CurrentSizeUnits();
  const SizeUnits english;
  for (int i = 0; i < 5; ++i) units.names[i] = main_ts.Translate(english.names[i]);
  SetSizeUnits(units);
}
