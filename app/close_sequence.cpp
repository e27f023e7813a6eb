#include "app/close_sequence.h"

#include "cleaning/amnesia.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"
#include "system/data_folder.h"
#include "system/delete_by_extension.h"
#include "system/file_exists_non_empty.h"
#include "system/virtual_store.h"

void CleanLogFile(const TKLog& log) {
  if (!FileExistsNonEmpty(log.FilePath())) return;
  TAmnesia amnesia;
  amnesia.scrambleNames = true;
  amnesia.ShredFile(log.FilePath(), DeletionMethod::ThreePassDoD, true);
}

void RemovePortableData(const std::wstring& programPath, const std::wstring& dataFolder, bool debugMode) {
  // An empty folder would make the pattern "\*.*", the root of the current drive.
  if (!debugMode && !dataFolder.empty()) {
    const std::wstring programFolder = platform::WithTrailingBackslash(platform::FolderOf(programPath));
    if (platform::EqualsNoCase(dataFolder, programFolder)) {
      for (const std::wstring& name : {std::wstring(kApplicationTitle) + L".log", std::wstring(L"update.exe"),
                                       std::wstring(L"update.log")})
        platform::DeleteFileAt(dataFolder + name);
    } else {
      DeleteByExtension(dataFolder, L"*");
    }
  }
  RemoveMakerFolderIfEmpty();
}

void RunCloseSequence(ProgramRun& run, const WindowCloseState& window) {
  SetSettingBool(kMaximizedSetting, window.maximized);
  SetSettingBool(kExpertModeSetting, window.expertMode);

  const std::wstring programFolder = platform::WithTrailingBackslash(platform::FolderOf(run.programPath));
  const std::wstring store = CleanVirtualStore(programFolder);
  if (!store.empty()) LogAdd(run.log.get(), L"Cleaning VirtualStore : " + store, kLogVerbose);

  const bool debugMode = IsDebugMode();
  if (run.log && !debugMode) {
    CleanLogFile(*run.log);
    run.log->Clear();
  }
  // The last save happens here, before the portable clean-up: a save after it
  // would bring back the file the clean-up removed.
  run.log.reset();

  if (!IsInstalled(kInstalledPrefix)) {
    RemovePortableData(run.programPath, run.dataFolder, debugMode);
    SavePortableSettings(kApplicationTitle, programFolder + kSettingsIniName);
  }
}
