// The Windows platform's tests. With --sleep-ms=N the program is instead the
// child process that the process tests start: it waits N ms and ends.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

int main(int argc, char** argv) {
  constexpr std::string_view kSleep = "--sleep-ms=";
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.substr(0, kSleep.size()) == kSleep) {
      Sleep(static_cast<DWORD>(std::atoi(argv[i] + kSleep.size())));
      return 3;
    }
  }
  const HRESULT com = CoInitialize(nullptr);
  testing::InitGoogleTest(&argc, argv);
  const int failed = RUN_ALL_TESTS();
  if (SUCCEEDED(com)) CoUninitialize();
  return failed;
}
