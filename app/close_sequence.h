// The program's close: the window's state is stored, the program's language
// files leave the user's VirtualStore, the log is erased unless the user
// debugs, and a portable copy takes its settings back into "settings.ini" and
// leaves nothing of itself in the registry or the user's profile.
#pragma once

#include <string>

#include "app/startup.h"
#include "system/log.h"

// What the main window tells the close about itself.
struct WindowCloseState {
  bool maximized = false;
  bool expertMode = false;
};

// The "Clean Log File" command: when the log's file exists and is not empty it
// is shredded (random name, three passes, cut to zero, deleted). The lines in
// memory stay and reach the file again at its next save.
void CleanLogFile(const TKLog& log);

// Removes what a portable run left in its data folder: the folder with all it
// holds, unless debug mode keeps it; then the maker's folder when nothing else
// is in it. When the data folder is the program's own folder (the user's
// application-data folder could not be used), only the program's own files go:
// the log, "update.exe" and "update.log", never the user's files beside it.
// An empty data folder (the start-up never ran) deletes nothing.
void RemovePortableData(const std::wstring& programPath, const std::wstring& dataFolder, bool debugMode);

// The close, in order: settings Maximized and ExpertMode; the VirtualStore
// clean-up (logged at verbose level); unless DebugMode is "1", the log file
// shredded and the log emptied; the log saved a last time and freed (run.log
// is null afterwards); and, when the program is not installed, the portable
// clean-up and the export of "settings.ini" beside the program, the registry
// branch, maker value and empty maker branch being deleted only when the
// export succeeded.
void RunCloseSequence(ProgramRun& run, const WindowCloseState& window);
