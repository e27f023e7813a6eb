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
#include "platform/text_codec.h"

int main(int argc, char** argv) {
  platform::KeepFreedMemoryForReuse();
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(platform::FromUtf8(argv[i]));
  return RunCli(args);
}
#endif
