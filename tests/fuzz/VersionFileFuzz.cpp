// Fuzzes the gathering and rewriting of the marker file against an
// independent computation of the bytes it must hold afterwards.
#include <cstdint>
#include <cstdlib>

#include "app/VersionFile.h"
#include "tests/fuzz/FuzzPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static maj::test::FuzzPlatform platform;
  platform.Reset(std::string(reinterpret_cast<const char*>(data), size));
  if (maj::VersionFileStep(platform, platform, platform) != maj::kOk) std::abort();

  std::string expected;
  for (const std::string& line : maj::test::ReferenceLines(platform.content)) {
    expected += "\r\n" + line;
  }
  expected += "\r\n";
  if (!platform.wasRewritten || platform.rewritten != expected) std::abort();
  if (platform.openFiles != 0) std::abort();
  return 0;
}
