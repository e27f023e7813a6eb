#include "update/update_addresses.h"

std::wstring UpdateViewPageUrl(const std::wstring& server) {
  return L"https://" + server + L"/pylo/view.php?" + L"&ProductName=Purgello" + L"&Company=Halvoris" + L"&prot=2";
}

std::wstring UpdateDownloadUrl(const std::wstring& server) { return L"https://" + server + L"/files/purgello_lite.exe"; }

std::wstring ChangeLogUrl(const std::wstring& server) {
  return L"https://" + server + L"/bugs/changelog_page.php?project_id=12";
}

std::wstring BugTrackerUrl(const std::wstring& server) {
  return L"https://" + server + L"/bugs/view_all_bug_page.php?project_id=12";
}
