// The language switcher over a language folder in a temporary tree and the
// registry of a temporary prefix (Wine: its own registry, a key of the test's).
#include "i18n/lang_list.h"

#include <gtest/gtest.h>

#include <optional>

#include "i18n/record_file.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "tests/support/fake_components.h"
#include "tests/support/own_prefix.h"
#include "tests/support/temp_tree.h"

namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RegRoot;
using testsupport::FakeControl;

const wchar_t kKey[] = L"Software\\Halvoris\\LangListTest";

std::string Int32(int32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
  return b;
}

// A 1 x 1 24-bit picture.
std::string Flag(char blue) {
  return "BM" + Int32(58) + Int32(0) + Int32(54) + Int32(40) + Int32(1) + Int32(1) + std::string("\x01\x00\x18\x00", 4) +
         Int32(0) + Int32(4) + Int32(0) + Int32(0) + Int32(0) + Int32(0) + std::string(1, blue) + std::string(3, '\0');
}

struct LanguageFile {
  uint16_t id = 0x040C;
  int revision = 4;
  std::string name = "Francais", heading = "Langue", remark = "par nous", flag;
  std::string caption = "Nettoyer";  // of MainDlg.clean_btn, translated
};

LanguageFile Lang(uint16_t id, int revision, std::string name, std::string heading, std::string remark,
                  std::string caption = "Nettoyer") {
  LanguageFile f;
  f.id = id, f.revision = revision, f.name = std::move(name), f.heading = std::move(heading);
  f.remark = std::move(remark), f.caption = std::move(caption);
  return f;
}

// Identity, names and flag, the header of the revision and one entry.
std::wstring WriteLanguage(testsupport::TempTree& tree, const std::wstring& name, const LanguageFile& f) {
  TStorefile file;
  file.Signature = kLanguageSignature;
  file.Filename = tree.Path(L"prog\\" + name);
  file.Erase();
  file.Open();
  file.AppendInteger(0, f.revision << 16 | f.id);
  file.AppendString(1, f.name);
  file.AppendString(2, f.heading);
  file.AppendString(3, f.remark);
  file.AppendString(4, "");
  file.AppendData(5, f.flag);
  if (f.revision >= 1) {
    file.AppendInteger(512, 50862196);
    if (f.revision >= 2) {
      file.AppendInteger(516, 0);
      file.AppendString(517, "");
      file.AppendString(518, "");
    }
    file.AppendString(513, "");
    file.AppendString(514, "Tahoma");
    file.AppendInteger(515, 1);
    if (f.revision == 4) file.AppendInteger(516, 8);
  }
  file.AppendString(531, "MainDlg.clean_btn");
  if (f.revision >= 3) file.AppendInteger(768, 0);
  file.AppendString(33, f.caption);
  file.AppendString(0, "");
  file.AppendString(0, "");
  file.Close();
  return file.Filename;
}

class LangListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::DeleteKeyTree(RegRoot::CurrentUser, kKey);
    clean_.caption = L"Clean";
    langue_.FilePrefix = L"HV_";
    langue_.RegKey = kKey;
    langue_.AfterLanguageSwitch = [this] { ++switches_; };
    langue_.reportError = [this](const std::wstring& m) { errors_.push_back(m); };
  }
  void TearDown() override {
    platform::DeleteKeyTree(RegRoot::CurrentUser, kKey);
  }

  std::wstring Write(const std::wstring& name, const LanguageFile& f) { return WriteLanguage(tree_, name, f); }
  std::optional<uint32_t> Saved() {
    uint32_t v = 0;
    if (!RegKey::Open(RegRoot::CurrentUser, kKey, RegAccess::Read).ReadDword(L"Langue", v)) return std::nullopt;
    return v;
  }
  void Save(uint32_t code) { ASSERT_TRUE(RegKey::Create(RegRoot::CurrentUser, kKey).WriteDword(L"Langue", code)); }
  std::vector<uint32_t> Codes() {
    std::vector<uint32_t> codes;
    for (const LanguageEntry& e : langue_.Languages()) codes.push_back(e.code);
    return codes;
  }

  testsupport::TempTree tree_;
  testsupport::OwnPrefix prefix_{tree_.Path(L"prefix")};
  Component app_{L""};
  FakeControl main_{L"MainDlg", &app_};
  FakeControl clean_{L"clean_btn", &main_};
  TLangList langue_{&main_, app_, tree_.MakeFolder(L"prog")};
  int switches_ = 0;
  std::vector<std::wstring> errors_;
};

TEST_F(LangListTest, ScanFollowsTheTableAndStopsAtAMissingVariant) {
  LanguageFile old;
  old.revision = 0;
  old.name = "Ancien";
  Write(L"HV_0001040C.SPK", old);
  Write(L"HV_0000040C.SPK", {});
  Write(L"HV_00000C0A.SPK", Lang(0x0C0A, 2, "Espanol", "Idioma", "nuestro"));
  Write(L"HV_00000407.SPK", Lang(0x0407, 4, "Deutsch", "Sprache", "von uns"));
  Write(L"HV_00010407.SPK", Lang(0x0407, 1, "Deutsch 2", "", "alt"));
  Write(L"HV_00030407.SPK", {});            // after a missing variant 2
  Write(L"HV_00000000.SPK", {});            // identifier 0 is never searched
  Write(L"HV_00000C0B.SPK", {});            // nor one outside the table
  Write(L"HV_0000041D.SPK", {});            // not opening as a language file...
  tree_.WriteFile(L"prog\\HV_0000041D.SPK", "not a language file");
  Write(L"HV_0001041D.SPK", Lang(0x041D, 0, "Svenska", "", "vi"));  // ...does not hide the next variant
  Write(L"HV_0000080C.SPK", Lang(0x080C, 3, "Belge", "", "nous"));
  tree_.WriteFile(L"prog\\XX_0000040A.SPK", "");  // another prefix

  EXPECT_TRUE(langue_.ScanLanguages());
  EXPECT_EQ(Codes(), (std::vector<uint32_t>{0x040C, 0x1040C, 0x080C, 0x0407, 0x10407, 0x0C0A, 0x1041D}));
  EXPECT_EQ(langue_.Languages()[0].displayName, L"Francais [3.8.6.116] - par nous");
  EXPECT_EQ(langue_.Languages()[1].displayName, L"Ancien - par nous");
  EXPECT_EQ(langue_.Languages()[6].displayName, L"Svenska - vi");
  EXPECT_EQ(langue_.CodeAt(2), 0x080Cu);
  EXPECT_EQ(langue_.CodeAt(7), 0u);
  EXPECT_EQ(langue_.CodeAt(-1), 0u);

  EXPECT_EQ(sizeof kSearchedLanguageIds / sizeof kSearchedLanguageIds[0], 145u);
  EXPECT_EQ(kSearchedLanguageIds[0], 0x0400);
  EXPECT_EQ(kSearchedLanguageIds[144], 0x042A);
}

// The restore at first activation, from what the registry and the system say,
// over the files present.
TEST_F(LangListTest, RestoreChoosesTheBestMatch) {
  const struct Case {
    const char* name;
    std::vector<uint32_t> files;
    std::optional<uint32_t> saved;
    uint16_t userDefault;
    bool autoload;
    uint32_t selected;  // 0: nothing switched
  } cases[] = {
      {"two French files, saved second", {0x040C, 0x1040C}, 0x1040C, 0x0409, true, 0x1040C},
      {"lone variant 1 is not listed", {0x1040C}, 0x1040C, 0x040C, true, 0},
      {"saved variant 1, only variant 0", {0x040C}, 0x1040C, 0x0409, true, 0x040C},
      {"saved Belgian French, only French", {0x0407, 0x040C}, 0x080C, 0x0407, true, 0x040C},
      {"saved German, German and French", {0x0407, 0x040C}, 0x0407, 0x040C, true, 0x0407},
      {"no saved value, system 0C0C", {0x0407, 0x040C}, std::nullopt, 0x0C0C, true, 0x040C},
      {"no saved value, no such language", {0x0407}, std::nullopt, 0x0C0C, true, 0},
      {"saved code gone, no match", {0x0407}, 0x040C, 0x0407, true, 0},
      {"Autoload off", {0x040C}, 0x040C, 0x040C, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempTree tree;
    Component app{L""};
    FakeControl main{L"MainDlg", &app};
    FakeControl clean{L"clean_btn", &main};
    clean.caption = L"Clean";
    TLangList langue(&main, app, tree.MakeFolder(L"prog"));
    langue.FilePrefix = L"HV_";
    langue.RegKey = kKey;
    langue.Autoload = c.autoload;
    langue.userDefaultLanguage = [&c] { return c.userDefault; };
    int switches = 0;
    langue.AfterLanguageSwitch = [&switches] { ++switches; };
    platform::DeleteKeyTree(RegRoot::CurrentUser, kKey);
    if (c.saved) Save(*c.saved);
    for (uint32_t code : c.files) {
      LanguageFile f;
      f.id = static_cast<uint16_t>(code);
      f.name = "L" + std::to_string(code);
      f.caption = "C" + std::to_string(code);
      wchar_t name[32];
      std::swprintf(name, 32, L"HV_%08X.SPK", code);
      WriteLanguage(tree, name, f);
    }
    langue.FirstActivation({L"/minimized"}, nullptr, nullptr);
    if (c.selected == 0) {
      EXPECT_EQ(switches, 0);
      EXPECT_EQ(clean.caption, L"Clean");
      EXPECT_EQ(langue.CurrentLanguageName(), L"");
      EXPECT_EQ(Saved(), c.saved);  // nothing written
    } else {
      const uint32_t code = c.selected;
      EXPECT_EQ(langue.CodeAt(langue.LanguageIndex()), code);
      EXPECT_EQ(switches, 1);
      EXPECT_EQ(clean.caption, L"C" + std::to_wstring(code));
      EXPECT_EQ(langue.CurrentLanguageName(), L"L" + std::to_wstring(code));
      EXPECT_EQ(Saved(), code);
    }
    // Once only.
    langue.FirstActivation({}, nullptr, nullptr);
    EXPECT_EQ(switches, c.selected == 0 ? 0 : 1);
  }
}

TEST_F(LangListTest, AFileThatFailsIsStillSavedAndChangesNothing) {
  Write(L"HV_00000407.SPK", Lang(0x0407, 4, "Deutsch", "Sprache", "", "Reinigen"));
  Write(L"HV_0000040C.SPK", {});
  Write(L"HV_0000040A.SPK", Lang(0x040A, 5, "Futuro", "", ""));
  langue_.ScanLanguages();
  ASSERT_EQ(Codes(), (std::vector<uint32_t>{0x040C, 0x0407, 0x040A}));
  ASSERT_EQ(langue_.SetLanguageIndex(1), SwitchResult::Loaded);
  EXPECT_EQ(clean_.caption, L"Reinigen");
  EXPECT_EQ(langue_.CurrentHeadingName(), L"Sprache");

  // A file of a revision this program does not know: the user is told, the
  // language in effect stays, the choice is kept.
  EXPECT_EQ(langue_.SetLanguageIndex(2), SwitchResult::UnsupportedRevision);
  EXPECT_EQ(errors_, (std::vector<std::wstring>{L"Format not supported in this revision"}));
  EXPECT_EQ(clean_.caption, L"Reinigen");
  EXPECT_EQ(langue_.CurrentLanguageName(), L"Deutsch");
  EXPECT_EQ(langue_.LanguageIndex(), 2);
  EXPECT_EQ(Saved(), 0x040Au);
  EXPECT_EQ(switches_, 1);

  // A file that vanished after the scan.
  tree_.WriteFile(L"prog\\HV_0000040C.SPK", "gone");
  EXPECT_EQ(langue_.SetLanguageIndex(0), SwitchResult::NotLoaded);
  EXPECT_EQ(Saved(), 0x040Cu);
  EXPECT_EQ(langue_.LanguageIndex(), 0);
  EXPECT_EQ(clean_.caption, L"Reinigen");
  EXPECT_EQ(langue_.CurrentLanguageName(), L"");
  EXPECT_EQ(langue_.CurrentHeadingName(), L"");
  EXPECT_EQ(switches_, 1);

  EXPECT_EQ(langue_.SetLanguageIndex(3), SwitchResult::Unchanged);
  EXPECT_EQ(langue_.SetLanguageIndex(-1), SwitchResult::Unchanged);
  EXPECT_EQ(langue_.LanguageIndex(), 0);
}

TEST_F(LangListTest, TheListenerSeesBothCodesAndCanRefuse) {
  Write(L"HV_0000040C.SPK", {});
  Write(L"HV_00000407.SPK", Lang(0x0407, 4, "Deutsch", "", "", "Reinigen"));
  langue_.ScanLanguages();
  std::vector<std::pair<uint32_t, uint32_t>> asked;
  bool allow = false;
  langue_.BeforeLanguageSwitch = [&](uint32_t oldCode, uint32_t newCode, bool& canChange) {
    asked.emplace_back(oldCode, newCode);
    canChange = allow;
  };
  EXPECT_EQ(langue_.SetLanguageIndex(1), SwitchResult::Unchanged);
  EXPECT_EQ(langue_.LanguageIndex(), 0);
  EXPECT_EQ(clean_.caption, L"Clean");
  EXPECT_EQ(Saved(), std::nullopt);
  allow = true;
  EXPECT_EQ(langue_.SetLanguageIndex(1), SwitchResult::Loaded);
  EXPECT_EQ(asked, (std::vector<std::pair<uint32_t, uint32_t>>{{0x040C, 0x0407}, {0x040C, 0x0407}}));

  langue_.Autoload = false;  // switches are no longer saved
  langue_.BeforeLanguageSwitch = nullptr;
  EXPECT_EQ(langue_.SetLanguageIndex(0), SwitchResult::Loaded);
  EXPECT_EQ(Saved(), 0x0407u);
  langue_.SaveLanguage();
  EXPECT_EQ(Saved(), 0x040Cu);
}

TEST_F(LangListTest, TheCoParameterWritesTheTemplateThenStartsAsUsual) {
  for (const wchar_t* parameter : {L"/CO", L"-copy", L"/Co/x"}) {
    SCOPED_TRACE(parameter);
    Write(L"HV_0000040C.SPK", {});
    Save(0x040C);
    TLangList langue(&main_, app_, tree_.Path(L"prog"));
    langue.FilePrefix = L"HV_";
    langue.RegKey = kKey;
    int beeps = 0;
    langue.FirstActivation({L"/minimized", parameter, L"-co"}, [&beeps] { ++beeps; },
                           [](TLanguageRecord& r) { r.programVersion = PackVersion(L"3.8.6.116"); });
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(langue.CurrentLanguageName(), L"Francais");
    clean_.caption = L"Clean";
    TLanguageRecord written(app_);
    ASSERT_EQ(written.LoadAndApply(tree_.Path(L"prog\\HV_ORIGINAL.SPK")), LoadResult::Loaded);
    EXPECT_EQ(written.languageId, 0);
    EXPECT_EQ(written.revisionRead, 4);
    EXPECT_EQ(written.programVersion, 50862196u);
    EXPECT_EQ(written.languageName, L"");
    platform::DeleteFileAt(tree_.Path(L"prog\\HV_ORIGINAL.SPK"));
  }
  TLangList langue(&main_, app_, tree_.Path(L"prog"));
  langue.FilePrefix = L"HV_";
  int beeps = 0;
  langue.FirstActivation({L"co", L"-xco", L"/minimized"}, [&beeps] { ++beeps; }, nullptr);
  EXPECT_EQ(beeps, 0);
  EXPECT_FALSE(tree_.Exists(L"prog\\HV_ORIGINAL.SPK"));
}

TEST_F(LangListTest, FlagsComeFromTheFirstFileOfALanguageAndAreChecked) {
  LanguageFile french;
  french.flag = Flag('\x7F');
  Write(L"HV_0000040C.SPK", french);
  LanguageFile broken;
  broken.id = 0x0407;
  broken.flag = Flag('\x01').substr(0, 50);
  Write(L"HV_00000407.SPK", broken);
  const std::string brokenBytes = tree_.ReadFile(L"prog\\HV_00000407.SPK");
  std::string picture = "old";
  EXPECT_TRUE(langue_.LoadFlag(0x040C, picture));
  EXPECT_EQ(picture, Flag('\x7F'));
  picture = "old";
  EXPECT_FALSE(langue_.LoadFlag(0x0407, picture));
  EXPECT_EQ(picture, "");
  picture = "old";
  EXPECT_FALSE(langue_.LoadFlag(0x0C0A, picture));
  EXPECT_EQ(picture, "");
  EXPECT_FALSE(tree_.Exists(L"prog\\HV_00000C0A.SPK"));  // looking never creates a file
  EXPECT_EQ(tree_.ReadFile(L"prog\\HV_00000407.SPK"), brokenBytes);
}

TEST_F(LangListTest, TheLanguageFolderFallsBackInOrder) {
  tree_.MakeFolder(L"cwd");
  langue_.currentDirectory = tree_.Path(L"cwd");
  EXPECT_EQ(langue_.LanguageDir(), tree_.Path(L"prog\\"));
  langue_.SubDir = L"lang";
  EXPECT_EQ(langue_.LanguageDir(), tree_.Path(L"cwd\\lang\\"));
  tree_.MakeFolder(L"prog\\system\\lang");
  EXPECT_EQ(langue_.LanguageDir(), tree_.Path(L"prog\\system\\lang\\"));
  tree_.MakeFolder(L"prog\\lang");
  EXPECT_EQ(langue_.LanguageDir(), tree_.Path(L"prog\\lang\\"));
  EXPECT_EQ(langue_.FileNameOf(0x1040C), tree_.Path(L"prog\\lang\\HV_0001040C.SPK"));
  EXPECT_EQ(langue_.TemplateFileName(), tree_.Path(L"prog\\lang\\HV_ORIGINAL.SPK"));
}

}  // namespace
