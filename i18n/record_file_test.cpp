#include "i18n/record_file.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/temp_tree.h"

namespace {

std::string Int32(int32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
  return b;
}
std::string Record(int32_t tag, const std::string& payload) {
  const int32_t n = static_cast<int32_t>(payload.size());
  return Int32(n + 8) + Int32(tag) + payload + Int32(n + 12);
}

struct Opened {
  testsupport::TempTree tree;
  TStorefile file;
  explicit Opened(const std::string& bytes, bool readOnly = true) {
    file.Signature = "SIG";
    file.Filename = tree.WriteFile(L"f.rec", bytes);
    file.ReadOnly = readOnly;
  }
};

TEST(RecordFileTest, AppendedRecordsWalkBothWaysAndSurviveAClose) {
  testsupport::TempTree tree;
  TStorefile file;
  file.Signature = "SIG";
  file.Filename = tree.Path(L"new\\sub\\f.rec");  // folders created on the way
  ASSERT_TRUE(file.Open());
  EXPECT_TRUE(file.AtEnd());
  EXPECT_EQ(tree.ReadFile(L"new\\sub\\f.rec"), "SIG" + Int32(0));
  EXPECT_EQ(file.AppendString(7, "alpha"), 1);
  EXPECT_EQ(file.AppendInteger(8, -2), 2);
  EXPECT_EQ(file.AppendData(9, std::string()), 3);
  file.Close();
  EXPECT_EQ(tree.ReadFile(L"new\\sub\\f.rec"),
            "SIG" + Int32(3) + Record(7, "alpha") + Record(8, Int32(-2)) + Record(9, ""));

  ASSERT_TRUE(file.Open());
  EXPECT_EQ(file.RecordCount(), 3);
  std::string text;
  EXPECT_EQ(file.PeekSize(), 5);
  EXPECT_EQ(file.ReadString(text, false), 7);  // stays
  EXPECT_EQ(file.ReadString(text, true), 7);
  EXPECT_EQ(text, "alpha");
  int32_t value = 0;
  EXPECT_EQ(file.ReadInteger(value, true), 8);
  EXPECT_EQ(value, -2);
  EXPECT_EQ(file.ReadString(text, true), 9);
  EXPECT_TRUE(file.AtEnd());
  EXPECT_EQ(file.ReadString(text, true), 0);
  EXPECT_EQ(file.PeekSize(), 0);
  EXPECT_FALSE(file.Next());

  ASSERT_TRUE(file.Prior());
  EXPECT_EQ(file.ReadString(text, false), 9);
  ASSERT_TRUE(file.Last());
  EXPECT_EQ(file.ReadString(text, false), 9);
  ASSERT_TRUE(file.GoTo(1));
  EXPECT_EQ(file.ReadInteger(value, false), 8);
  EXPECT_FALSE(file.GoTo(3));
  EXPECT_EQ(file.ReadInteger(value, false), 8);  // an index outside leaves the position
  ASSERT_TRUE(file.First());
  EXPECT_FALSE(file.Prior());

  std::string bytes;
  int size = 2;
  EXPECT_EQ(file.ReadData(bytes, size, false), 7);
  EXPECT_EQ(bytes, "al");
  size = 99;
  file.ReadData(bytes, size, false);
  EXPECT_EQ(size, 5);
  size = -1;
  file.ReadData(bytes, size, true);
  EXPECT_EQ(bytes, "alpha");
  EXPECT_EQ(file.AppendString(1, "x"), 0);  // not at the end: nothing written
  file.Close();
  EXPECT_EQ(file.RecordCount(), 0);
}

TEST(RecordFileTest, ReadOnlyFilesRefuseWritesWithTheirError) {
  const std::string content = "SIG" + Int32(1) + Record(1, "a");
  struct Case {
    const char* name;
    bool readOnlyProperty;
    bool readOnlyAttribute;
  } cases[] = {{"ReadOnly set", true, false}, {"file not writable", false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Opened o(content, c.readOnlyProperty);
    if (c.readOnlyAttribute) {
      ASSERT_TRUE(platform::SetFileAttributesTo(o.file.Filename, platform::kAttrReadOnly));
    }
    ASSERT_TRUE(o.file.Open());
    EXPECT_TRUE(o.file.IsReadOnly());
    o.file.Last();
    o.file.Next();
    try {
      o.file.AppendString(2, "b");
      ADD_FAILURE() << "append went through";
    } catch (const StorefileError& e) {
      EXPECT_STREQ(e.what(), "Attempt to write a data while in ReadOnly mode");
    }
    EXPECT_THROW(o.file.Erase(), StorefileError);
    o.file.Close();
    EXPECT_EQ(o.tree.ReadFile(L"f.rec"), content);
    if (c.readOnlyAttribute) platform::SetFileAttributesTo(o.file.Filename, 0);
  }
}

TEST(RecordFileTest, EraseLeavesAnEmptyFileWhenOpen) {
  Opened o("SIG" + Int32(1) + Record(1, "a"), false);
  ASSERT_TRUE(o.file.Open());
  o.file.Erase();
  EXPECT_TRUE(o.file.IsOpen());
  EXPECT_EQ(o.file.RecordCount(), 0);
  EXPECT_EQ(o.tree.ReadFile(L"f.rec"), "SIG" + Int32(0));
  o.file.Close();
  o.file.Erase();
  EXPECT_FALSE(o.tree.Exists(L"f.rec"));
}

TEST(RecordFileTest, AReaderNeverCreatesOrRewritesAFile) {
  testsupport::TempTree tree;
  TStorefile file;
  file.Signature = "SIG";
  file.Filename = tree.Path(L"missing.rec");
  file.ReadOnly = true;
  EXPECT_FALSE(file.Open());
  EXPECT_FALSE(tree.Exists(L"missing.rec"));
  Opened wrong("XYZ" + Int32(0), false);
  EXPECT_FALSE(wrong.file.Open());
}

// Whatever the lengths say, walking ends, reads stay inside the file, and the
// file is not consistent.
TEST(RecordFileTest, DamagedFilesAreInconsistentAndWalksEnd) {
  const std::string good = Record(1, "abc");
  const struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"count too high", "SIG" + Int32(2) + good},
      {"count too low", "SIG" + Int32(0) + good},
      {"negative count", "SIG" + Int32(-1)},
      {"negative length", "SIG" + Int32(1) + Int32(-20) + Int32(1) + "abc" + Int32(15)},
      {"zero length", "SIG" + Int32(1) + Int32(0) + Int32(1) + "abc" + Int32(15)},
      {"length below its header", "SIG" + Int32(1) + Int32(4) + Int32(1) + "abc" + Int32(15)},
      {"length beyond the file", "SIG" + Int32(1) + Int32(4000) + Int32(1) + "abc" + Int32(15)},
      {"trailing length disagrees", "SIG" + Int32(1) + Int32(11) + Int32(1) + "abc" + Int32(12)},
      {"truncated record", "SIG" + Int32(1) + good.substr(0, 9)},
      {"bytes after the last record", "SIG" + Int32(1) + good + "zz"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Opened o(c.bytes);
    ASSERT_TRUE(o.file.Open());
    EXPECT_FALSE(o.file.Consistent());
    int steps = 0;
    while (o.file.Next()) ASSERT_LT(++steps, 10);
    // A loader reads until the end without looking at what it got.
    std::string text;
    for (o.file.First(), steps = 0; !o.file.AtEnd(); o.file.ReadString(text, true)) ASSERT_LT(++steps, 10);
    o.file.Last();
    for (steps = 0; o.file.Prior();) ASSERT_LT(++steps, 10);
    o.file.ReadString(text, true);
    o.file.GoTo(0);
  }
  Opened ok("SIG" + Int32(1) + good);
  ASSERT_TRUE(ok.file.Open());
  EXPECT_TRUE(ok.file.Consistent());
}

// A trailing length that points at itself or outside the file must not move
// the position backwards onto garbage.
TEST(RecordFileTest, PriorOnlyStepsOntoAWellFormedRecord) {
  const std::string good = Record(1, "abc");
  for (int32_t trailing : {0, 4, 12, 1000, -8}) {
    SCOPED_TRACE(trailing);
    Opened o("SIG" + Int32(2) + good + Int32(0) + Int32(0) + Int32(trailing));
    ASSERT_TRUE(o.file.Open());
    ASSERT_TRUE(o.file.Next());
    o.file.Next();  // the damaged second record reads as the end
    EXPECT_TRUE(o.file.AtEnd());
    EXPECT_FALSE(o.file.Prior());
  }
}

}  // namespace
