#include "i18n/language_text.h"

#include <gtest/gtest.h>

#include <tuple>

#include "i18n/flag_picture.h"
#include "i18n/language_record.h"
#include "i18n/record_file.h"
#include "tests/support/fake_components.h"
#include "tests/support/temp_tree.h"

namespace {

using testsupport::FakeControl;

std::string Int32(int32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
  return b;
}

struct Rec {
  int32_t tag;
  std::string payload;
};

std::wstring WriteRecords(testsupport::TempTree& tree, const std::wstring& name, const std::vector<Rec>& recs) {
  TStorefile file;
  file.Signature = kLanguageSignature;
  file.Filename = tree.Path(name);
  file.Erase();
  file.Open();
  for (const Rec& r : recs) file.AppendData(r.tag, r.payload);
  file.Close();
  return file.Filename;
}

// To text and back; the bytes of the file written from the text.
std::string RoundTrip(testsupport::TempTree& tree, const std::wstring& file, std::string* text = nullptr) {
  std::string t, error;
  EXPECT_TRUE(LanguageFileToText(file, t, error)) << error;
  EXPECT_TRUE(TextToLanguageFile(t, tree.Root() + L"\\", tree.Path(L"back.spk"), error)) << error << "\n" << t;
  if (text) *text = t;
  return tree.ReadFile(L"back.spk");
}

TEST(LanguageTextTest, ATemplateComesBackByteForByte) {
  testsupport::TempTree tree;
  Component app{L""};
  FakeControl main{L"MainDlg", &app};
  FakeControl clean{L"clean_btn", &main};
  FakeControl quiet{L"quiet_btn", &main};
  FakeControl combo{L"method_cmb", &main, FakeControl::kItems | FakeControl::kItemIndex};
  FakeControl edit{L"path_edt", &main, FakeControl::kText | FakeControl::kHint};
  FakeControl memo{L"notes_mem", &main, FakeControl::kLines};
  main.caption = L"Purgello";
  clean.caption = L" Clean \\ = [now] ";  // a blank at each end
  clean.hint = L"Clean now";
  clean.showHint = true;
  quiet.hint = L"Quiet\ttab";
  combo.items = {L"Standard", L"1 Pass", L"3 Passes"};
  edit.text = L"C:\\Temp";
  edit.hint = L"Folder";
  TLanguageRecord record(app);
  record.programVersion = PackVersion(L"3.8.6.116");
  record.fontFace = L"Tahoma";
  record.charset = 0;
  record.notes = {L"first", L"second"};
  record.flagBitmap = std::string("BM\x00\x81\xFF", 5);
  record.SaveTemplate(tree.Path(L"HV_ORIGINAL.SPK"));

  std::string text;
  EXPECT_EQ(RoundTrip(tree, tree.Path(L"HV_ORIGINAL.SPK"), &text), tree.ReadFile(L"HV_ORIGINAL.SPK"));
  for (const char* line : {"Language = 0000\n", "Revision = 4\n", "Notes = first\\r\\nsecond\\r\\n\n",
                           "Flag = 424D0081FF\n", "ProgramVersion = 3.8.6.116\n", "FontFace = Tahoma\n",
                           "MainDlg.Caption = Purgello\n",
                           "MainDlg.clean_btn.Caption =  Clean \\\\ = [now] \n",
                           "MainDlg.clean_btn.Hint [show] = Clean now\n", "MainDlg.quiet_btn.Hint = Quiet\\ttab\n",
                           "MainDlg.method_cmb.Items = Standard\\r\\n1 Pass\\r\\n3 Passes\\r\\n\n",
                           "MainDlg.path_edt.Caption = C:\\\\Temp\n", "MainDlg.path_edt.Hint [show] = Folder\n",
                           "MainDlg.notes_mem.Items = \n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
}

// Files of every revision, flags and bytes a template never has.
TEST(LanguageTextTest, EveryRevisionComesBackByteForByte) {
  const std::string id = "\x0C\x04";
  const std::vector<Rec> names = {{1, "Fran\xE7" "ais"}, {2, "Langue"}, {3, "\x81 raw"}, {4, ""}, {5, ""}};
  auto file = [&](const std::string& identity, std::vector<Rec> rest) {
    std::vector<Rec> recs = {{0, identity}};
    recs.insert(recs.end(), names.begin(), names.end());
    recs.insert(recs.end(), rest.begin(), rest.end());
    return recs;
  };
  const std::vector<Rec> header2 = {{512, Int32(50862196)}, {516, Int32(-3)}, {517, "c1"}, {518, ""},
                                    {513, "ime"},           {514, "Arial"},   {515, Int32(0)}};
  std::vector<Rec> header4 = header2;
  header4.push_back({516, Int32(9)});
  const struct Case {
    const char* name;
    std::vector<Rec> recs;
  } cases[] = {
      {"revision 0, two-byte identity, every kind",
       file(id, {{6, "MainDlg.clean_btn"}, {0, "Nettoyer"}, {0, ""},
                 {11, "MainDlg.method_cmb"}, {0, ""}, {7, "hint"}, {0, "a\r\nb"},
                 {12, "MainDlg.main_ts"}, {0, "Fini !"},
                 {99, "MainDlg"},
                 {13, "MainDlg.File1"}, {0, "&Fichier"}, {0, ""}})},
      {"revision 0, four bytes", file(id + std::string("\0\0", 2), {{12, "MainDlg.main_ts"}, {0, ""}})},
      {"revision 1",
       file(id + std::string("\x01\0", 2), {{512, Int32(1)}, {513, ""}, {514, "Tahoma"}, {515, Int32(1)},
                                            {529, "MainDlg.clean_btn"}, {33, "Nettoyer"}, {0, ""}, {0, ""}})},
      {"revision 2, odd tags",
       file(id + std::string("\x02\0", 2), [&] {
         std::vector<Rec> r = header2;
         r.insert(r.end(), {{600, "MainDlg.x"}, {0, "text under tag 0"}, {50, "shown"}, {7, "tag 7"},
                            {528, "MainDlg.empty"}, {0, ""}, {0, ""}, {0, ""}});
         return r;
       }())},
      {"revision 3, layouts",
       file(id + std::string("\x03\0", 2), [&] {
         std::vector<Rec> r = header2;
         r.insert(r.end(), {{529, "MainDlg.now_lbl"}, {768, Int32(2)}, {33, "Maintenant"}, {0, ""}, {0, ""},
                            {528, "MainDlg.x"}, {768, Int32(0)}, {0, ""}, {0, ""}, {0, ""}});
         return r;
       }())},
      {"revision 4, another character set", file(id + std::string("\x04\0", 2), [&] {
         std::vector<Rec> r = header4;
         r[6].payload = Int32(238);
         r.insert(r.end(), {{531, "MainDlg.clean_btn"}, {768, Int32(1)}, {33, "Vy\x9A\xE8istit"}, {50, "\x8A"},
                            {35, "a\rb\nc\x01"}});
         return r;
       }())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempTree tree;
    const std::wstring path = WriteRecords(tree, L"in.spk", c.recs);
    EXPECT_EQ(RoundTrip(tree, path), tree.ReadFile(L"in.spk"));
  }
}

TEST(LanguageTextTest, AWrittenTextLoadsAsALanguage) {
  testsupport::TempTree tree;
  tree.WriteFile(L"flags\\fr.bmp", "BMflag");
  const std::string text =
      "# French\n"
      "Language = 040C\r\n"
      "Name = Fran\xC3\xA7" "ais\n"
      "Flag = file:flags/fr.bmp\n"
      "Charset = 0\n"
      "\n"
      "MainDlg.clean_btn.Caption [translated] = Nettoyer \xE2\x82\xAC\n"
      "MainDlg.clean_btn.Hint [translated show] = Maintenant\n"
      "MainDlg.quiet_btn.Caption = not applied\n";
  std::string error;
  ASSERT_TRUE(TextToLanguageFile(text, tree.Root() + L"\\", tree.Path(L"HV_0000040C.SPK"), error)) << error;
  const std::string bytes = tree.ReadFile(L"HV_0000040C.SPK");
  EXPECT_NE(bytes.find("Nettoyer \x80"), std::string::npos);  // in Windows-1252
  EXPECT_NE(bytes.find("Fran\xE7" "ais"), std::string::npos);

  Component app{L""};
  FakeControl main{L"MainDlg", &app};
  FakeControl clean{L"clean_btn", &main};
  FakeControl quiet{L"quiet_btn", &main};
  quiet.caption = L"Quiet";
  TLanguageRecord record(app);
  ASSERT_EQ(record.LoadAndApply(tree.Path(L"HV_0000040C.SPK")), LoadResult::Loaded);
  EXPECT_EQ(record.languageId, 0x040C);
  EXPECT_EQ(record.revisionRead, 4);
  EXPECT_EQ(record.minimumFontSize, 8);
  EXPECT_EQ(clean.hint, L"Maintenant");
  EXPECT_TRUE(clean.showHint);
  EXPECT_EQ(quiet.caption, L"Quiet");
  std::string back;
  ASSERT_TRUE(LanguageFileToText(tree.Path(L"HV_0000040C.SPK"), back, error));
  EXPECT_NE(back.find("Flag = 424D666C6167\n"), std::string::npos);
  EXPECT_NE(back.find("MainDlg.clean_btn.Caption [translated] = Nettoyer \xE2\x82\xAC\n"), std::string::npos);
}

// The colour (RRGGBB) of the pixel at x, y counted from the top left.
uint32_t PixelAt(const std::string& bmp, int x, int y) {
  const auto byte = [&bmp](size_t at) { return static_cast<uint32_t>(static_cast<unsigned char>(bmp[at])); };
  const uint32_t offset = byte(10) | byte(11) << 8, width = byte(18), height = byte(22);
  const size_t stride = (width * 3 + 3) / 4 * 4;
  const size_t at = offset + (height - 1 - static_cast<size_t>(y)) * stride + static_cast<size_t>(x) * 3;
  return byte(at + 2) << 16 | byte(at + 1) << 8 | byte(at);
}

TEST(LanguageTextTest, DrawnFlagsAreWellFormedWithTheirStripesInPlace) {
  const struct Case {
    const char* description;
    std::vector<std::tuple<int, int, uint32_t>> pixels;  // x, y, colour
  } cases[] = {
      {"vertical 0055A4 FFFFFF EF4135", {{0, 0, 0x0055A4}, {9, 19, 0x0055A4}, {10, 0, 0xFFFFFF}, {19, 10, 0xFFFFFF},
                                         {20, 5, 0xEF4135}, {29, 19, 0xEF4135}}},
      // Weighted: 1 + 2 + 1 quarters of 20 rows.
      {"horizontal AA151B F1BF00*2 AA151B", {{0, 0, 0xAA151B}, {29, 4, 0xAA151B}, {0, 5, 0xF1BF00}, {15, 14, 0xF1BF00},
                                              {0, 15, 0xAA151B}, {29, 19, 0xAA151B}}},
      {"horizontal 000000 DD0000 FFCE00", {{3, 6, 0x000000}, {3, 7, 0xDD0000}, {3, 12, 0xDD0000}, {3, 13, 0xFFCE00}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description);
    std::string bmp, error;
    ASSERT_TRUE(DrawStripedFlag(c.description, bmp, error)) << error;
    EXPECT_TRUE(IsWellFormedBitmap(bmp));
    for (const auto& [x, y, colour] : c.pixels) EXPECT_EQ(PixelAt(bmp, x, y), colour) << x << "," << y;
  }
  // Through the text form into the file's flag record.
  testsupport::TempTree tree;
  std::string error, drawn;
  ASSERT_TRUE(TextToLanguageFile("Flag = stripes:vertical 0055A4 FFFFFF EF4135\n", tree.Root() + L"\\",
                                 tree.Path(L"f.spk"), error)) << error;
  Component app{L""};
  TLanguageRecord record(app);
  ASSERT_EQ(record.LoadAndApply(tree.Path(L"f.spk")), LoadResult::Loaded);
  DrawStripedFlag("vertical 0055A4 FFFFFF EF4135", drawn, error);
  EXPECT_EQ(record.flagBitmap, drawn);
}

TEST(LanguageTextTest, WrongTextsAreToldWithTheirLineAndWriteNothing) {
  const struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"Name = x\nMainDlg.a.Colour = red\n", "line 2: unknown property \"Colour\""},
      {"Nmae = x\n", "line 1: unknown field \"Nmae\""},
      {"MainDlg.a.Caption = \xD0\x96\n", "line 1: U+0416 has no byte in the language's code page"},
      {"MainDlg.a.Caption = \\q\n", "line 1: unknown escape \"\\q\""},
      {"MainDlg.a.Caption = \xC3\n", "line 1: not UTF-8"},
      {"MainDlg.a.Caption [bold] = x\n", "line 1: unknown flag \"bold\""},
      {"Revision = 2\nMainDlg.a.Layout = 1\n", "line 2: Layout needs revision 3 or 4"},
      {"Revision = 0\nMainDlg.a.Caption = x\n", "line 2: a legacy entry needs its Key"},
      {"Revision = 5\n", "revision 5 is not supported"},
      {"Flag = 4D4\n", "line 1: odd hex digits"},
      {"Flag = file:missing.bmp\n", "line 1: cannot read missing.bmp"},
      {"Flag = stripes:diagonal 000000\n", "line 1: a flag is horizontal or vertical"},
      {"Flag = stripes:vertical 00550\n", "line 1: not a colour RRGGBB[*weight]: 00550"},
      {"Flag = stripes:vertical 005500*0\n", "line 1: not a colour RRGGBB[*weight]: 005500*0"},
      {"Flag = stripes:horizontal\n", "line 1: a flag needs at least one stripe"},
      {"just words\n", "line 1: no \"=\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    testsupport::TempTree tree;
    std::string error;
    EXPECT_FALSE(TextToLanguageFile(c.text, tree.Root() + L"\\", tree.Path(L"out.spk"), error));
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(tree.Exists(L"out.spk"));
  }

  testsupport::TempTree tree;
  std::string text, error;
  const std::wstring damaged = tree.WriteFile(L"d.spk", std::string("QLM LANGUAGE FILE") + Int32(6) + "junk");
  EXPECT_FALSE(LanguageFileToText(damaged, text, error));
  EXPECT_EQ(error, "damaged language file");
  EXPECT_FALSE(LanguageFileToText(tree.Path(L"missing.spk"), text, error));
  const std::wstring future = WriteRecords(tree, L"f.spk", {{0, std::string("\x0C\x04\x05\0", 4)}, {1, ""}, {2, ""},
                                                            {3, ""}, {4, ""}, {5, ""}});
  EXPECT_FALSE(LanguageFileToText(future, text, error));
  EXPECT_EQ(error, "revision 5 is not supported");
}

}  // namespace
