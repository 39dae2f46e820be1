#include "standin/Commands.h"

#include <gtest/gtest.h>

#include "Sandbox.h"
#include "standin/StandInErrors.h"

namespace standin {
namespace {

namespace fs = std::filesystem;
using testing::Sandbox;

TEST(Commands, UpgradeWordsSplitAroundTheDriveAndVide) {
  const struct {
    const char* words;
    const char* app;
    const char* drive;
    const char* base;
  } good[] = {
      {"C:\\APP D VIDE D:\\BASESCLIENTS\\BASEAFA", "C:\\APP", "D", "D:\\BASESCLIENTS\\BASEAFA"},
      {"C:\\Program Files\\Mise à niveau D VIDE D:\\BASES CLIENTS\\BASE A",
       "C:\\Program Files\\Mise à niveau", "D", "D:\\BASES CLIENTS\\BASE A"},
      {"C:\\APP \\ VIDE \\\\127.0.0.1\\UNIDATA\\B", "C:\\APP", "\\", "\\\\127.0.0.1\\UNIDATA\\B"},
      {"C:\\APP É VIDE É:\\B", "C:\\APP", "É", "É:\\B"},
      {"C:\\APP D VIDE D:\\B\\", "C:\\APP", "D", "D:\\B\\"},
      {"C:\\VIDE D VIDE D:\\VIDE", "C:\\VIDE", "D", "D:\\VIDE"},
  };
  for (const auto& c : good) {
    UpgradeWords words;
    ASSERT_TRUE(ParseUpgradeWords(c.words, words)) << c.words;
    EXPECT_EQ(words.appDirectory, c.app);
    EXPECT_EQ(words.drive, c.drive);
    EXPECT_EQ(words.baseDirectory, c.base);
  }
  for (const char* bad :
       {"", "C:\\APP", "C:\\APP D VIDE", "C:\\APP D VIDE ", "C:\\APP VIDE D:\\B",
        "C:\\APP DD VIDE D:\\B", " D VIDE D:\\B", "D VIDE D:\\B", "C:\\APP  VIDE D:\\B",
        "C:\\APP D vide D:\\B", "C:\\A D VIDE X E VIDE D:\\B"}) {
    UpgradeWords words{"kept", "", ""};
    EXPECT_FALSE(ParseUpgradeWords(bad, words)) << bad;
    EXPECT_EQ(words.appDirectory, "kept");
  }
}

TEST(Commands, PackageCheckWantsEveryFileWithTheSameBytes) {
  Sandbox sandbox;
  const fs::path package = sandbox.Host("C:\\APP\\INSTALLMAJ");
  const fs::path target = sandbox.Host("D:\\B\\INSTALLMAJ");
  std::string reason;
  const auto check = [&] {
    reason.clear();
    return CheckPackage(package, "C:\\APP\\INSTALLMAJ", target, "D:\\B\\INSTALLMAJ", reason);
  };

  EXPECT_EQ(check(), kPackageUnreadable);
  EXPECT_EQ(reason, "the package folder C:\\APP\\INSTALLMAJ cannot be listed");

  fs::create_directories(package);
  EXPECT_EQ(check(), maj::kOk);  // an empty package is in place anywhere

  Sandbox::Write(package / "X.DAT", "data of x");
  Sandbox::Write(package / "Mise à jour.txt", "notes");
  Sandbox::Write(package / "sub" / "NOT COPIED.DAT", "only files directly in the package");
  EXPECT_EQ(check(), kPackageNotInPlace);
  EXPECT_EQ(reason, "D:\\B\\INSTALLMAJ cannot be listed");

  Sandbox::Write(target / "x.dat", "data of x");  // names compare without regard to case
  EXPECT_EQ(check(), kPackageNotInPlace);
  EXPECT_EQ(reason, "Mise à jour.txt is missing from D:\\B\\INSTALLMAJ");

  Sandbox::Write(target / "MISE À JOUR.TXT", "NOTES");
  EXPECT_EQ(check(), kPackageNotInPlace);
  EXPECT_EQ(reason, "Mise à jour.txt differs in D:\\B\\INSTALLMAJ");

  Sandbox::Write(target / "MISE À JOUR.TXT", "notes, longer");
  EXPECT_EQ(check(), kPackageNotInPlace);

  Sandbox::Write(target / "MISE À JOUR.TXT", "notes");
  Sandbox::Write(target / "EXTRA.DAT", "files of the base's own are allowed");
  EXPECT_EQ(check(), maj::kOk) << reason;

  fs::remove(target / "x.dat");
  fs::create_directories(target / "X.DAT");  // a folder is not the file
  EXPECT_EQ(check(), kPackageNotInPlace);
  EXPECT_EQ(reason, "X.DAT is missing from D:\\B\\INSTALLMAJ");
}

}  // namespace
}  // namespace standin
