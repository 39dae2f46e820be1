// The platform contract, kept by the Win32 platform.
#include <algorithm>
#include <memory>

#include "platform/win32/Win32Platform.h"
#include "tests/contract/PlatformContract.h"
#include "tests/win32/platform/Scratch.h"

namespace maj::contract {
namespace {

struct Win32Subject {
  win32::Win32Platform platform;
  std::vector<std::unique_ptr<win32::Scratch>> folders;

  Pieces Get() { return platform.All(); }
  std::string Folder() {
    folders.push_back(std::make_unique<win32::Scratch>(win32::TempFolder()));
    return folders.back()->Path();
  }
  void SetReadOnly(const std::string& path, bool readOnly) {
    SetFileAttributesW(com::Widen(path).c_str(),
                       readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
  }
  // A temporary of another process, at another moment, as a killed run leaves it.
  std::string StaleTemporary(const std::string& file) { return file + ".4242.987654.tmp"; }
  std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names = win32::Entries(folder);
    std::sort(names.begin(), names.end());
    return names;
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32Platform, PlatformContract, Win32Subject);

}  // namespace
}  // namespace maj::contract
