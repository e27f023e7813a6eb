// The built purgello-cli.exe on the system it runs on (a fresh Wine prefix):
// its output when redirected (UTF-8), and a real clean of the Windows Temp folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "platform/win32/handle.h"

namespace {

struct Outcome {
  DWORD exitCode = 999;
  std::string out, err;
};

// The build passes the program's Linux path; Wine reaches it through drive Z:.
std::wstring ProgramPath() {
  std::wstring path = L"Z:";
  for (const char* c = PURGELLO_CLI; *c; ++c) path += *c == '/' ? L'\\' : wchar_t(*c);
  return path;
}

std::wstring TempFolder() {
  wchar_t windows[MAX_PATH];
  UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  return std::wstring(windows, n) + L"\\Temp\\";
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

HANDLE InheritableFile(const std::wstring& path) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
}

class CliOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    // Away from every folder a category cleans.
    CreateDirectoryW(L"C:\\purgello-cli-test", nullptr);
    outPath_ = L"C:\\purgello-cli-test\\out.txt";
    errPath_ = L"C:\\purgello-cli-test\\err.txt";
  }

  Outcome Start(const std::wstring& arguments) {
    platform::Handle out(InheritableFile(outPath_)), err(InheritableFile(errPath_));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out.Get();
    si.hStdError = err.Get();
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = L"\"" + ProgramPath() + L"\" " + arguments;
    Outcome outcome;
    if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
      platform::Handle process(pi.hProcess), thread(pi.hThread);
      WaitForSingleObject(process.Get(), 120000);
      GetExitCodeProcess(process.Get(), &outcome.exitCode);
    }
    out.Reset();
    err.Reset();
    outcome.out = ReadAll(outPath_);
    outcome.err = ReadAll(errPath_);
    return outcome;
  }

  static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  static std::wstring Plant(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
    return path;
  }

  std::wstring outPath_, errPath_;
};

TEST_F(CliOnWindows, ListsTheCategoriesInUtf8WhenRedirected) {
  Outcome run = Start(L"list");
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  std::istringstream lines(run.out);
  std::string line;
  size_t count = 0;
  while (std::getline(lines, line)) {
    ASSERT_LT(count, kCategoryCount);
    const Category& c = kCatalogue[count++];
    EXPECT_EQ(line, Utf8(c.key) + "\t" + Utf8(c.itemCaption) + "\t" + (c.enabledByDefault ? "on" : "off"));
  }
  EXPECT_EQ(count, kCategoryCount);
}

TEST_F(CliOnWindows, PreviewsAndCleansTheWindowsTempFolder) {
  const std::wstring temp = TempFolder();
  const std::wstring plain = Plant(temp + L"purgello-cli-test.tmp", "12345");
  const std::wstring accented = Plant(temp + L"purgello-cli-\u00fc.tmp", "ab");
  ASSERT_TRUE(Exists(plain) && Exists(accented));

  Outcome run = Start(L"preview --only Temporary_Files");
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find("Temporary File\t" + Utf8(plain) + "\t5\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Temporary File\t" + Utf8(accented) + "\t2\n"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("Found: "), std::string::npos) << run.err;
  EXPECT_TRUE(Exists(plain) && Exists(accented));

  // Errors leave everything in place; the Wine prefix options exist only on Linux.
  run = Start(L"clean --only Temporary_Files,Nope");
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_EQ(run.err.rfind("purgello-cli: unknown category key 'Nope'; valid keys: Recycle_Bin, ", 0), 0u) << run.err;
  run = Start(L"clean --only Temporary_Files --prefix C:\\");
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_EQ(run.err, "purgello-cli: unknown option '--prefix'\n");
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Exists(plain) && Exists(accented));

  run = Start(L"clean --only Temporary_Files");
  EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_NE(run.out.find("deleted\t" + Utf8(plain) + "\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("deleted\t" + Utf8(accented) + "\n"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("Pass 1 : "), std::string::npos) << run.err;
  EXPECT_FALSE(Exists(plain));
  EXPECT_FALSE(Exists(accented));
}

}  // namespace
