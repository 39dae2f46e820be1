// What another process holds: kernel handles, GDI and USER objects, memory.
// Each count comes from the documented call when the system answers it, and
// otherwise from a reading that Wine does answer; the source is printed with it.
#pragma once

#include <windows.h>

#include <string>

namespace op {

struct Count {
  unsigned long long value = 0;
  const char* source = "";
};

struct Counters {
  Count handles;
  Count gdi;
  Count user;
  Count privateBytes;
  unsigned long long peakWorkingSet = 0;
  unsigned long long workingSet = 0;
};

bool ReadCounters(DWORD pid, Counters& counters, std::string& error);

// One line per figure: "handles 57", "handles-source ...", and so on.
void PrintCounters(const Counters& counters);

}  // namespace op
