// The fuzz harnesses: each takes any bytes, feeds them to one reader of
// outside data and checks what must hold for every input (aborting, with the
// failed check on standard error, when it does not). ./fuzz.sh runs one under
// libFuzzer; the test suite replays every seed and regression input of
// fuzz/corpus/<name>/ through the same functions.
#pragma once

#include <cstddef>
#include <cstdint>

int FuzzLinuxNames(const uint8_t* data, size_t size);
int FuzzWindowsPaths(const uint8_t* data, size_t size);
int FuzzSettingsIni(const uint8_t* data, size_t size);
int FuzzWineRegistryFile(const uint8_t* data, size_t size);
int FuzzVersionResource(const uint8_t* data, size_t size);
int FuzzLanguageFile(const uint8_t* data, size_t size);
int FuzzUpdateReply(const uint8_t* data, size_t size);

struct FuzzHarness {
  const char* name;  // also the corpus folder and the fuzz.sh name
  int (*run)(const uint8_t* data, size_t size);
};

inline constexpr FuzzHarness kFuzzHarnesses[] = {
    {"names", FuzzLinuxNames},
    {"paths", FuzzWindowsPaths},
    {"settings_ini", FuzzSettingsIni},
    {"wine_registry", FuzzWineRegistryFile},
    {"version", FuzzVersionResource},
    {"language_file", FuzzLanguageFile},
    {"update_reply", FuzzUpdateReply},
};
