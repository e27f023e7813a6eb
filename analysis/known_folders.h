// The eleven known folders an analysis resolves at its start, each with a
// trailing separator (empty when the platform cannot supply it), and the
// LocalLow folder derived from the local application-data folder.
#pragma once

#include <string>

struct KnownFolders {
  std::wstring windows, commonAppData, localAppData, appData, profile, programFiles, programFilesX86, recent,
      cookies, internetCache, history;
  std::wstring localLow;
};

KnownFolders ResolveKnownFolders();
// "...\Local\" becomes "...\LocalLow\"; any other layout has no LocalLow folder.
std::wstring DeriveLocalLow(const std::wstring& localAppData);
