#include "update/version_number.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionNumber, ParsesDottedTexts) {
  const struct {
    const wchar_t* text;
    const wchar_t* parsed;
    bool valid;
  } cases[] = {
      {L"3.8.6.116", L"3.8.6.116", true},
      {L"3", L"3.0.0.0", true},
      {L"3.08", L"3.8.0.0", true},
      {L"1.2.3.4.5", L"1.2.3.0", true},       // the fourth field "4.5" is no number
      {L"3.8.70000.1", L"3.8.0.1", true},     // above 65535
      {L"3.8.7.120\r\n", L"3.8.7.0", true},   // a line break is no digit
      {L"3.8.7.120 ", L"3.8.7.0", true},      // nor is a trailing blank
      {L"  +3. 8.-2.1", L"3.8.-2.1", true},   // leading blanks and signs are
      {L"3.99999999999.1.1", L"3.0.1.1", true},
      {L"-2147483648.0.0.1", L"-2147483648.0.0.1", false},
      {L"0.0.0.0", L"0.0.0.0", false},
      {L"", L"0.0.0.0", false},
      {L"version", L"0.0.0.0", false},
      {L"+.-.x.", L"0.0.0.0", false},
      {L"1.-1.0.0", L"1.-1.0.0", false},      // the fields add up to 0
  };
  for (const auto& c : cases) {
    const TPyloVersion version = TPyloVersion::Create(c.text);
    EXPECT_EQ(version.ToText(), c.parsed) << "from \"" << testing::PrintToString(std::wstring(c.text)) << "\"";
    EXPECT_EQ(version.IsValid(), c.valid) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(VersionNumber, PacksIntoTheTwoNumbersTheServerIsAskedWith) {
  const TPyloVersion version = TPyloVersion::Create(L"3.8.6.116");
  EXPECT_EQ(version.PackedHigh(), 196616u);
  EXPECT_EQ(version.PackedLow(), 393332u);
  EXPECT_EQ(version.PackedHighText(), L"196616");
  EXPECT_EQ(version.PackedLowText(), L"393332");

  const TPyloVersion unpacked = TPyloVersion::CreatePacked(196616u, 393332u);
  EXPECT_EQ(unpacked.ToText(), L"3.8.6.116");
  EXPECT_EQ(unpacked.PackedHigh(), 196616u);
  EXPECT_EQ(unpacked.PackedLow(), 393332u);
  // The high half takes no sign: the largest numbers give large fields.
  EXPECT_EQ(TPyloVersion::CreatePacked(4294967295u, 4294901760u).ToText(), L"65535.65535.65535.0");
  // A negative field wraps in 32 bits and is written unsigned.
  EXPECT_EQ(TPyloVersion::Create(L"1.-1.0.0").PackedHighText(), L"65535");
}

TEST(VersionNumber, ComparesFieldByFieldAndPacked) {
  const struct {
    const wchar_t* version;
    const wchar_t* other;
    bool newer;
  } fieldCases[] = {
      {L"3.8.6.117", L"3.8.6.116", true}, {L"3.8.6.116", L"3.8.6.116", false}, {L"3.8.6.116", L"3.8.6.117", false},
      {L"4.0.0.0", L"3.65535.65535.65535", true}, {L"3.9", L"3.10", false}, {L"1.0.0.0", L"1.-5.0.0", true},
  };
  for (const auto& c : fieldCases)
    EXPECT_EQ(TPyloVersion::Create(c.version).IsNewerThan(TPyloVersion::Create(c.other)), c.newer)
        << testing::PrintToString(std::wstring(c.version)) << " against " << testing::PrintToString(std::wstring(c.other));

  const struct {
    const wchar_t* version;
    uint32_t vh, vl;
    bool newer;
  } packedCases[] = {
      {L"3.8.6.116", 196616u, 393332u, false},
      {L"3.8.6.117", 196616u, 393332u, true},
      {L"3.9.0.0", 196616u, 4294967295u, true},
      {L"3.8.0.0", 196616u, 1u, false},
      {L"40000.0.0.0", 196616u, 0u, true},        // past 2^31: compared unsigned
      {L"3.8.40000.0", 196616u, 393332u, true},
  };
  for (const auto& c : packedCases)
    EXPECT_EQ(TPyloVersion::Create(c.version).IsNewerThanPacked(c.vh, c.vl), c.newer)
        << testing::PrintToString(std::wstring(c.version)) << " against " << c.vh << "," << c.vl;
}

}  // namespace
