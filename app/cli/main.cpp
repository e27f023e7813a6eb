// purgello-cli: the engine as a console program (see --help).
#include <string>
#include <vector>

#include "app/cli/cli_program.h"
#include "platform/process_memory.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  platform::KeepFreedMemoryForReuse();
  std::vector<std::wstring> args(argv + 1, argv + argc);
  return RunCli(args);
}
#else
#include <csignal>

#include "platform/posix/linux_names.h"

int main(int argc, char** argv) {
  platform::KeepFreedMemoryForReuse();
  // A reader that stops early (clean | head -1) must not end the run halfway:
  // the output stream notices the closed pipe and drops the rest.
  std::signal(SIGPIPE, SIG_IGN);
  // One to one: a path that is not UTF-8 keeps its bytes (see cli_system_posix.cpp).
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(platform::WideFromLinuxText(argv[i]));
  return RunCli(args);
}
#endif
