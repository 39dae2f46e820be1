// Fuzzes the stand-in's settings parser: any text either loads or is refused
// with one error line naming the file and the line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "standin/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  standin::Settings settings;
  std::string error;
  if (!standin::ParseSettings(text, "settings.txt", settings, error)) {
    if (error.rfind("settings.txt:", 0) != 0 || error.find('\n') != std::string::npos) std::abort();
  } else if (!error.empty()) {
    std::abort();
  }
  return 0;
}
