#include "i18n/language_record.h"

#include <gtest/gtest.h>

#include "i18n/record_file.h"
#include "tests/support/fake_components.h"
#include "tests/support/temp_tree.h"

namespace {

using testsupport::FakeControl;

// A language file written record by record, so that a test states exactly
// the tags and texts it loads.
struct FileBuilder {
  struct Rec {
    int32_t tag;
    std::string payload;
    bool integer = false;
  };
  std::vector<Rec> records;
  FileBuilder& Identity(uint16_t id, int revision) {
    std::string b(4, '\0');
    b[0] = static_cast<char>(id & 0xFF), b[1] = static_cast<char>(id >> 8), b[2] = static_cast<char>(revision);
    records.push_back({0, b});
    return *this;
  }
  FileBuilder& Text(int32_t tag, const std::string& t) { return records.push_back({tag, t}), *this; }
  FileBuilder& Int(int32_t tag, int32_t v) {
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return records.push_back({tag, b}), *this;
  }
  // Identity, the names, notes and no flag, then the header of the revision.
  static FileBuilder Language(int revision, const std::string& face = "Tahoma") {
    FileBuilder f;
    f.Identity(0x040C, revision).Text(1, "Francais").Text(2, "Langue").Text(3, "par nous").Text(4, "l1\r\nl2").Text(5, "");
    if (revision == 0) return f;
    f.Int(512, 50862196);
    if (revision >= 2) f.Int(516, 7).Text(517, "c1").Text(518, "c2");
    f.Text(513, "ime").Text(514, face).Int(515, 238);
    if (revision == 4) f.Int(516, 10);
    return f;
  }
  // One entry of revision 1 to 4 (layout only in 3 and 4).
  FileBuilder& Entry(int revision, const std::string& key, int32_t captionTag, const std::string& caption,
                     int32_t hintTag = 0, const std::string& hint = "", int32_t itemsTag = 0,
                     const std::string& items = "", int32_t layout = 0) {
    Text(531, key);
    if (revision >= 3) Int(768, layout);
    return Text(captionTag, caption).Text(hintTag, hint).Text(itemsTag, items);
  }
  std::wstring Write(testsupport::TempTree& tree, const std::wstring& name = L"lang.spk") const {
    TStorefile file;
    file.Signature = kLanguageSignature;
    file.Filename = tree.Path(name);
    file.Erase();
    file.Open();
    for (const Rec& r : records) file.AppendData(r.tag, r.payload);
    file.Close();
    return file.Filename;
  }
};

struct Windows {
  Component app{L""};
  FakeControl main{L"MainDlg", &app};
  FakeControl clean{L"clean_btn", &main};
  FakeControl combo{L"method_cmb", &main, FakeControl::kItems | FakeControl::kItemIndex | FakeControl::kFont};
  FakeControl memo{L"notes_mem", &main, FakeControl::kLines | FakeControl::kText};
  FakeControl label{L"now_lbl", &main, FakeControl::kCaption | FakeControl::kAlignment | FakeControl::kLayout};
  Windows() {
    main.caption = L"Purgello";
    clean.caption = L"Clean";
    clean.hint = L"Clean now";
    combo.items = {L"Standard", L"1 Pass", L"3 Passes"};
    combo.itemIndex = 2;
    memo.items = {L"a", L"b"};
    label.caption = L"Now";
  }
};

TEST(LanguageRecordTest, PackVersionAndVersionText) {
  const struct {
    const wchar_t* text;
    uint32_t packed;
  } cases[] = {{L"3.8.6.116", 50862196u}, {L"3,8,6,116", 50862196u}, {L"(3.8.6.116)x", 50862196u},
               {L"1.2", (1u << 24) | (2u << 16)}, {L"", 0u}, {L"256.300.64.1024.5.6", (44u << 16)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(PackVersion(c.text), c.packed);
  }
  EXPECT_EQ(VersionText(50862196u), L"3.8.6.116");
}

TEST(LanguageRecordTest, OnlyTranslatedRecordsApply) {
  const struct Case {
    const char* name;
    int32_t captionTag, hintTag;
    const wchar_t* caption;
    const wchar_t* hint;
    bool showHint;
  } cases[] = {
      {"template tags change nothing", 1, 18, L"Clean", L"Clean now", false},
      {"caption 33, hint 34", 33, 34, L"Nettoyer", L"Tout de suite", false},
      {"hint 50 shows the hint", 0, 50, L"Clean", L"Tout de suite", true},
      {"negative tags are never translated", -1, -14, L"Clean", L"Clean now", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempTree tree;
    Windows w;
    const std::wstring file = FileBuilder::Language(4)
                                  .Entry(4, "MAINDLG.CLEAN_BTN", c.captionTag, "Nettoyer", c.hintTag, "Tout de suite")
                                  .Write(tree);
    TLanguageRecord record(w.app);
    ASSERT_EQ(record.LoadAndApply(file), LoadResult::Loaded);
    EXPECT_EQ(w.clean.caption, c.caption);
    EXPECT_EQ(w.clean.hint, c.hint);
    EXPECT_EQ(w.clean.showHint, c.showHint);
  }
}

TEST(LanguageRecordTest, ItemsReplaceExistingEntriesOnlyAndKeepTheSelection) {
  const struct Case {
    const char* items;
    StringList combo;
  } cases[] = {
      {"Normal\r\n1 passe\r\n3 passes\r\n4\r\n5", {L"Normal", L"1 passe", L"3 passes"}},
      {"Normal\r\n1 passe", {L"Normal", L"1 passe", L"3 Passes"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items);
    testsupport::TempTree tree;
    Windows w;
    const std::wstring file = FileBuilder::Language(4)
                                  .Entry(4, "MainDlg.method_cmb", 0, "", 0, "", 35, c.items)
                                  .Entry(4, "MainDlg.notes_mem", 33, "memo", 0, "", 35, "x\r\ny\r\nz")
                                  .Write(tree);
    TLanguageRecord record(w.app);
    ASSERT_EQ(record.LoadAndApply(file), LoadResult::Loaded);
    EXPECT_EQ(w.combo.items, c.combo);
    EXPECT_EQ(w.combo.itemIndex, 2);
    EXPECT_EQ(w.memo.items, (StringList{L"x", L"y"}));  // Lines when there are no Items
    EXPECT_EQ(w.memo.text, L"memo");                    // Text when there is no Caption
  }
}

TEST(LanguageRecordTest, EveryRevisionLoadsItsOwnLayout) {
  for (int revision = 0; revision <= 4; ++revision) {
    SCOPED_TRACE(revision);
    testsupport::TempTree tree;
    Windows w;
    FileBuilder f = FileBuilder::Language(revision);
    if (revision == 0) {
      f.Text(11, "MainDlg.method_cmb").Text(0, "").Text(0, "").Text(0, "Normal");
      f.Text(99, "ignored kind");  // no records follow an unknown kind
      f.Text(6, "MainDlg.clean_btn").Text(0, "Nettoyer").Text(0, "");
    } else {
      f.Entry(revision, "MainDlg.method_cmb", 0, "", 0, "", 35, "Normal");
      f.Entry(revision, "Nowhere.gone", 33, "skipped", 34, "skipped", 35, "skipped");
      f.Entry(revision, "MainDlg.clean_btn", 33, "Nettoyer", 0, "", 0, "", 1);
      f.Entry(revision, "MainDlg.now_lbl", 33, "Maintenant", 0, "", 0, "", 2);
    }
    TLanguageRecord record(w.app);
    ASSERT_EQ(record.LoadAndApply(f.Write(tree)), LoadResult::Loaded);
    EXPECT_EQ(record.revisionRead, revision);
    EXPECT_EQ(record.languageId, 0x040C);
    EXPECT_EQ(record.languageName, L"Francais");
    EXPECT_EQ(record.notes, (StringList{L"l1", L"l2"}));
    EXPECT_EQ(w.clean.caption, L"Nettoyer");
    EXPECT_EQ(w.clean.hint, L"Clean now");
    EXPECT_EQ(w.combo.items[0], L"Normal");
    EXPECT_EQ(w.combo.font.charset, revision == 0 ? 1 : 238);
    EXPECT_EQ(w.combo.font.face, revision == 0 ? L"MS Sans Serif" : L"Tahoma");
    EXPECT_EQ(record.minimumFontSize, revision == 4 ? 10 : revision == 0 ? 8 : 9);
    EXPECT_EQ(w.combo.font.size, revision == 4 ? 10 : 8);
    EXPECT_EQ(w.label.caption, revision == 0 ? L"Now" : L"Maintenant");
    EXPECT_EQ(w.label.alignment, revision >= 3 ? 0 : -1);
    EXPECT_EQ(w.label.layout, revision >= 3 ? 1 : -1);
    if (revision >= 1) {
      EXPECT_EQ(record.programVersion, 50862196u);
    }
    if (revision >= 2) {
      EXPECT_EQ(record.carriedText2, L"c2");
    }
  }
}

TEST(LanguageRecordTest, FilesThatAreNotLanguageFilesChangeNothing) {
  const struct Case {
    const char* name;
    FileBuilder file;
    LoadResult result;
  } cases[] = {
      {"five records", FileBuilder().Identity(0x040C, 4).Text(1, "a").Text(2, "b").Text(3, "c").Text(4, "d"),
       LoadResult::NotLanguageFile},
      {"revision 5", FileBuilder::Language(4).Entry(4, "MainDlg.clean_btn", 33, "Nettoyer"),
       LoadResult::UnsupportedRevision},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempTree tree;
    Windows w;
    FileBuilder f = c.file;
    if (c.result == LoadResult::UnsupportedRevision) f.records[0] = FileBuilder().Identity(0x040C, 5).records[0];
    TLanguageRecord record(w.app);
    EXPECT_EQ(record.LoadAndApply(f.Write(tree)), c.result);
    EXPECT_EQ(w.clean.caption, L"Clean");
    EXPECT_EQ(w.clean.font, DesignFont());
  }
  // The same five records with a sixth make a language file.
  testsupport::TempTree tree;
  Windows w;
  TLanguageRecord record(w.app);
  FileBuilder six = cases[0].file;
  EXPECT_EQ(record.LoadAndApply(six.Text(5, "").Write(tree)), LoadResult::Loaded);
  EXPECT_EQ(record.LoadAndApply(tree.Path(L"missing.spk")), LoadResult::NotLanguageFile);
  EXPECT_FALSE(tree.Exists(L"missing.spk"));
}

TEST(LanguageRecordTest, TwoByteIdentityMeansRevisionZero) {
  testsupport::TempTree tree;
  Windows w;
  FileBuilder f = FileBuilder::Language(4);
  f.records[0].payload.resize(2);
  f.Text(6, "MainDlg.clean_btn").Text(0, "Nettoyer").Text(0, "");
  TLanguageRecord record(w.app);
  ASSERT_EQ(record.LoadAndApply(f.Write(tree)), LoadResult::Loaded);
  EXPECT_EQ(record.revisionRead, 0);
  EXPECT_EQ(w.clean.caption, L"Nettoyer");
}

// A file damaged after its good entries is refused whole: nothing of it shows.
TEST(LanguageRecordTest, ADamagedTailKeepsTheWholeFileOut) {
  testsupport::TempTree tree;
  Windows w;
  const std::wstring file = FileBuilder::Language(4).Entry(4, "MainDlg.clean_btn", 33, "Nettoyer").Write(tree);
  std::string bytes = tree.ReadFile(L"lang.spk");
  bytes.back() ^= 1;  // the last record's trailing length
  tree.WriteFile(L"lang.spk", bytes);
  TLanguageRecord record(w.app);
  EXPECT_EQ(record.LoadAndApply(file), LoadResult::NotLanguageFile);
  EXPECT_EQ(w.clean.caption, L"Clean");
  EXPECT_EQ(tree.ReadFile(L"lang.spk"), bytes);
}

TEST(LanguageRecordTest, ASecondFileKeepsWhatItDoesNotTranslate) {
  testsupport::TempTree tree;
  Windows w;
  TLanguageRecord record(w.app);
  ASSERT_EQ(record.LoadAndApply(FileBuilder::Language(4)
                                    .Entry(4, "MainDlg.clean_btn", 33, "Nettoyer")
                                    .Entry(4, "MainDlg.now_lbl", 33, "Maintenant")
                                    .Write(tree, L"a.spk")),
            LoadResult::Loaded);
  ASSERT_EQ(record.LoadAndApply(FileBuilder::Language(4).Entry(4, "MainDlg.now_lbl", 33, "Jetzt").Write(tree, L"b.spk")),
            LoadResult::Loaded);
  EXPECT_EQ(w.clean.caption, L"Nettoyer");
  EXPECT_EQ(w.label.caption, L"Jetzt");
}

TEST(LanguageRecordTest, TemplateHoldsThePresentTextsAndLoadsBackUnchanged) {
  testsupport::TempTree tree;
  Windows w;
  w.clean.showHint = true;
  const std::vector<std::wstring> excluded = {L"MainDlg"};
  TLanguageRecord record(w.app, &excluded);
  record.programVersion = PackVersion(L"3.8.6.116");
  record.fontFace = L"MS Sans Serif";
  const std::wstring path = tree.Path(L"HV_ORIGINAL.SPK");
  record.SaveTemplate(path);

  TStorefile file;
  file.Signature = kLanguageSignature;
  file.Filename = path;
  file.ReadOnly = true;
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(file.Consistent());
  std::vector<std::pair<int, std::string>> records;
  std::string text;
  while (!file.AtEnd()) {
    const int tag = file.ReadString(text, true);
    records.emplace_back(tag, text);
  }
  file.Close();
  ASSERT_EQ(records.size(), 14u + 4 * 5);
  EXPECT_EQ(records[0], (std::pair<int, std::string>{0, std::string("\0\0\4\0", 4)}));
  const std::vector<std::pair<int, std::string>> entries(records.begin() + 14, records.end());
  const std::vector<std::pair<int, std::string>> expected = {
      {530, "MainDlg.clean_btn"}, {768, std::string(4, '\0')}, {1, "Clean"}, {18, "Clean now"}, {0, ""},
      {529, "MainDlg.method_cmb"}, {768, std::string(4, '\0')}, {0, ""}, {0, ""}, {3, "Standard\r\n1 Pass\r\n3 Passes\r\n"},
      {529, "MainDlg.notes_mem"}, {768, std::string(4, '\0')}, {0, ""}, {0, ""}, {3, "a\r\nb\r\n"},
      {529, "MainDlg.now_lbl"}, {768, std::string(4, '\0')}, {1, "Now"}, {0, ""}, {0, ""},
  };
  EXPECT_EQ(entries, expected);

  Windows fresh;
  TLanguageRecord reader(fresh.app);
  ASSERT_EQ(reader.LoadAndApply(path), LoadResult::Loaded);
  EXPECT_EQ(reader.programVersion, 50862196u);
  EXPECT_EQ(reader.minimumFontSize, 8);
  EXPECT_EQ(fresh.combo.items, w.combo.items);
}

TEST(LanguageRecordTest, FlagPicturesAreCheckedBeforeUse) {
  // A 2 x 1 picture of 24 bits: rows padded to 4 bytes.
  auto bmp = [](int32_t width, int32_t height, uint16_t bits, uint32_t offset, size_t pixelBytes) {
    std::string b(54 + pixelBytes, '\0');
    auto put = [&b](size_t at, uint32_t v, int n) {
      for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B', b[1] = 'M';
    put(2, static_cast<uint32_t>(b.size()), 4), put(10, offset, 4), put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4), put(22, static_cast<uint32_t>(height), 4), put(26, 1, 2), put(28, bits, 2);
    return b;
  };
  const struct {
    const char* name;
    std::string bytes;
    bool good;
  } cases[] = {
      {"well formed", bmp(2, 1, 24, 54, 8), true},
      {"top-down", bmp(2, -1, 24, 54, 8), true},
      {"pixels beyond the end", bmp(2, 2, 24, 54, 8), false},
      {"offset beyond the end", bmp(2, 1, 24, 4000, 8), false},
      {"offset inside the header", bmp(2, 1, 24, 20, 8), false},
      {"palette missing", bmp(2, 1, 8, 54, 8), false},
      {"zero width", bmp(0, 1, 24, 54, 8), false},
      {"odd bit count", bmp(2, 1, 7, 54, 8), false},
      {"huge", bmp(0x40000000, 0x40000000, 32, 54, 8), false},
      {"not a bitmap", std::string("BM"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsWellFormedBitmap(c.bytes), c.good);
    testsupport::TempTree tree;
    Windows w;
    FileBuilder f = FileBuilder::Language(4);
    f.records[5].payload = c.bytes;
    TLanguageRecord record(w.app);
    ASSERT_EQ(record.LoadAndApply(f.Write(tree)), LoadResult::Loaded);
    EXPECT_EQ(record.flagBitmap.empty(), !c.good);
  }
}

}  // namespace
