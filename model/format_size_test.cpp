#include "model/format_size.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatSize, Table) {
  struct Case {
    int64_t bytes;
    const wchar_t* text;
  };
  const Case cases[] = {
      {0, L"0    b."},
      {5, L"5    b."},
      {1023, L"1023 b."},
      {1024, L"1 Kb."},
      {1536, L"1.5 Kb."},
      {1034240, L"1010 Kb."},
      {1048575, L"1023 Kb."},
      {1048576, L"1 Mb."},
      {int64_t(5) << 30, L"5 Gb."},
      {int64_t(1) << 40, L"1 Tb."},
      {int64_t(1) << 50, L"1024 Tb."},
      {int64_t(123456789), L"118 Mb."},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

TEST(FormatSize, UsesTheCurrentUnitNamesAndSeparator) {
  const SizeUnits saved = CurrentSizeUnits();
  SizeUnits units;
  units.names[0] = L"o";
  units.names[1] = L"Ko";
  units.decimalSeparator = L',';
  SetSizeUnits(units);
  EXPECT_EQ(FormatSize(1536), L"1,5 Ko");
  EXPECT_EQ(FormatSize(7), L"7    o");
  SetSizeUnits(saved);
}

}  // namespace
