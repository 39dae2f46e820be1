// The version resource of the built program, read back as Explorer's
// Properties and an administrator's tools read it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// MiseANiveau.exe, built in the same folder as this test.
std::wstring ProgramBesideUs() {
  std::wstring path(MAX_PATH * 4, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"MiseANiveau.exe";
}

class VersionResourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring program = ProgramBesideUs();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version resource, error " << GetLastError();
    block_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, block_.data()));
  }

  // A value of the string table the translation names.
  std::string Text(const wchar_t* name) {
    struct Translation {
      WORD language, codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof *translation) {
      return "(no translation)";
    }
    wchar_t key[128];
    swprintf(key, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language,
             translation->codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block_.data(), key, reinterpret_cast<void**>(&value), &length)) {
      return "(missing)";
    }
    const std::wstring wide(value, length > 0 ? length - 1 : 0);
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), utf8.data(),
                        static_cast<int>(utf8.size()), nullptr, nullptr);
    return utf8;
  }

  std::vector<char> block_;
};

TEST_F(VersionResourceTest, TheNumbersAreTheBuildsOwn) {
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  char numbers[64];
  snprintf(numbers, sizeof numbers, "%lu.%lu.%lu.%lu",
           static_cast<unsigned long>(HIWORD(fixed->dwFileVersionMS)),
           static_cast<unsigned long>(LOWORD(fixed->dwFileVersionMS)),
           static_cast<unsigned long>(HIWORD(fixed->dwFileVersionLS)),
           static_cast<unsigned long>(LOWORD(fixed->dwFileVersionLS)));
  EXPECT_EQ(std::string(numbers), MAJ_PROGRAM_VERSION);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(Text(L"FileVersion"), MAJ_PROGRAM_VERSION);
  EXPECT_EQ(Text(L"ProductVersion"), MAJ_PROGRAM_VERSION);
}

TEST_F(VersionResourceTest, TheTextsNameTheProgramAndItsMaker) {
  EXPECT_EQ(Text(L"ProductName"), "MiseANiveau");
  EXPECT_EQ(Text(L"FileDescription"), "Mise à niveau des bases");
  EXPECT_EQ(Text(L"CompanyName"), "MERIDOXAN");
  EXPECT_EQ(Text(L"LegalCopyright"), "© MERIDOXAN");
  EXPECT_EQ(Text(L"OriginalFilename"), "MiseANiveau.exe");
}

}  // namespace
