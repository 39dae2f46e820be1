// The platform contract, kept by the test platform.
#include <algorithm>
#include <filesystem>

#include "tests/contract/PlatformContract.h"
#include "tests/support/TestPlatform.h"

namespace maj::contract {
namespace {

struct TestPlatformSubject {
  test::TestPlatform platform;
  int folders = 0;

  Pieces Get() { return platform.All(); }
  std::string Folder() {
    const std::string folder = R"(D:\CONTRACT)" + std::to_string(++folders);
    platform.MakeFolder(folder);
    return folder;
  }
  void SetReadOnly(const std::string& path, bool readOnly) { platform.SetReadOnly(path, readOnly); }
  std::string StaleTemporary(const std::string& file) { return file + ".new"; }
  std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(platform.Map(folder))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(TestPlatform, PlatformContract, TestPlatformSubject);

}  // namespace
}  // namespace maj::contract
