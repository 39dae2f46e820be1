// Fuzzes the stand-in's reading of an upgrade command: a command it accepts
// must be exactly the words it found, put back together.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "standin/Commands.h"
#include "standin/DynArray.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  standin::UpgradeWords words;
  if (standin::ParseUpgradeWords(input, words)) {
    // The drive is one character: one byte that does not continue another.
    int starts = 0;
    for (const char c : words.drive) starts += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (starts != 1 || words.drive.find(' ') != std::string::npos) std::abort();
    if (words.appDirectory + " " + words.drive + " VIDE " + words.baseDirectory != input)
      std::abort();
  }
  // The command as the program sends it, inside a parameter list.
  const auto fields = standin::SplitFields("P\x1ELANCEMAJCD " + input);
  if (fields.size() < 2 || fields[0] != "P") std::abort();
  return 0;
}
