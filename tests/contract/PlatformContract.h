// What every platform promises about files and processes, as one
// typed suite. Each platform instantiates it with a subject that gives:
//   Pieces Get();                            the platform under test
//   std::string Folder();                    a fresh empty folder (Windows path)
//   void SetReadOnly(const std::string&, bool);
//   std::string StaleTemporary(const std::string& file);
//                                            the name a rewrite killed midway
//                                            leaves beside `file`
//   std::vector<std::string> Names(const std::string& folder);  sorted
// The test platform runs it natively, the Win32 platform under Wine.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Pieces.h"

namespace maj::contract {

template <class Subject>
class PlatformContract : public ::testing::Test {
 protected:
  Pieces P() { return subject.Get(); }

  std::string Read(const std::string& path) {
    std::unique_ptr<ByteSource> file;
    if (P().files.OpenForInput(path, file) != kOk) return "<cannot open>";
    std::string bytes;
    char buffer[3];  // small, so that reads are joined
    std::size_t got = 0;
    while (file->Read(buffer, got) == kOk && got > 0) bytes.append(buffer, got);
    return bytes;
  }

  Subject subject;
};

TYPED_TEST_SUITE_P(PlatformContract);

TYPED_TEST_P(PlatformContract, FoldersAreFoundCreatedOnceAndNeedTheirParent) {
  const std::string folder = this->subject.Folder() + "\\MERIDOXAN";
  bool found = true;
  ASSERT_EQ(this->P().files.FindEntry(folder, found), kOk);
  EXPECT_FALSE(found);
  ASSERT_EQ(this->P().files.FindEntry(folder + "\\absent\\x.txt", found), kOk) << "parent missing";
  EXPECT_FALSE(found);
  ASSERT_EQ(this->P().writes.CreateFolder(folder), kOk);
  EXPECT_EQ(this->P().writes.CreateFolder(folder), kWin32AlreadyExists);
  EXPECT_EQ(this->P().writes.CreateFolder(folder + "\\A\\B"), kWin32PathNotFound);
  ASSERT_EQ(this->P().files.FindEntry(folder, found), kOk);
  EXPECT_TRUE(found) << "a folder counts";
}

TYPED_TEST_P(PlatformContract, AppendCreatesAnEmptyFileThenLeavesItAlone) {
  const std::string file = this->subject.Folder() + "\\VERSION.txt";
  ASSERT_EQ(this->P().writes.OpenForAppend(file), kOk);
  bool found = false;
  ASSERT_EQ(this->P().files.FindEntry(file, found), kOk);
  EXPECT_TRUE(found) << "a plain file counts";
  std::uint64_t length = 99;
  ASSERT_EQ(this->P().files.FileLength(file, length), kOk);
  EXPECT_EQ(length, 0u);
  ASSERT_EQ(this->P().writes.RewriteFile(file, "712\r\n"), kOk);
  ASSERT_EQ(this->P().writes.OpenForAppend(file), kOk);
  EXPECT_EQ(this->Read(file), "712\r\n");
}

TYPED_TEST_P(PlatformContract, MissingFilesAndFoldersHaveTheirOwnNumbers) {
  const std::string folder = this->subject.Folder();
  std::unique_ptr<ByteSource> none;
  EXPECT_EQ(this->P().files.OpenForInput(folder + "\\absent.txt", none), kWin32FileNotFound);
  EXPECT_EQ(this->P().files.OpenForInput(folder + "\\absent\\x.txt", none), kWin32PathNotFound);
  EXPECT_FALSE(none);
  std::uint64_t length = 0;
  EXPECT_EQ(this->P().files.FileLength(folder + "\\absent.txt", length), kWin32FileNotFound);
  EXPECT_EQ(this->P().writes.RewriteFile(folder + "\\absent\\x.txt", "x"), kWin32PathNotFound);
  EXPECT_TRUE(this->subject.Names(folder).empty()) << "nothing created";
}

TYPED_TEST_P(PlatformContract, ARewriteReplacesTheBytesWholeAndLeavesOnlyTheFile) {
  const std::string folder = this->subject.Folder();
  const std::string file = folder + "\\VERSION.txt";
  const std::string bytes = std::string("712\r\nVersion \xE9t\xE9\r\n") + '\0' + "\xFF fin";
  ASSERT_EQ(this->P().writes.RewriteFile(file, bytes), kOk) << "a new file";
  EXPECT_EQ(this->Read(file), bytes);
  std::uint64_t length = 0;
  ASSERT_EQ(this->P().files.FileLength(file, length), kOk);
  EXPECT_EQ(length, bytes.size());
  ASSERT_EQ(this->P().writes.RewriteFile(file, "court"), kOk) << "an existing file, made shorter";
  EXPECT_EQ(this->Read(file), "court");
  ASSERT_EQ(this->P().writes.RewriteFile(file, ""), kOk);
  EXPECT_EQ(this->Read(file), "");
  EXPECT_EQ(this->subject.Names(folder), std::vector<std::string>{"VERSION.txt"});
}

TYPED_TEST_P(PlatformContract, AReadOnlyFileIsRefusedAndKept) {
  const std::string folder = this->subject.Folder();
  const std::string file = folder + "\\VERSION.txt";
  ASSERT_EQ(this->P().writes.RewriteFile(file, "ancien"), kOk);
  this->subject.SetReadOnly(file, true);
  EXPECT_EQ(this->P().writes.RewriteFile(file, "nouveau"), kWin32AccessDenied);
  EXPECT_EQ(this->Read(file), "ancien");
  EXPECT_EQ(this->subject.Names(folder), std::vector<std::string>{"VERSION.txt"});
  this->subject.SetReadOnly(file, false);
}

TYPED_TEST_P(PlatformContract, ARewriteRemovesTheTemporaryAKilledOneLeft) {
  const std::string folder = this->subject.Folder();
  const std::string file = folder + "\\VERSION.txt";
  ASSERT_EQ(this->P().writes.RewriteFile(file, "ancien"), kOk);
  ASSERT_EQ(this->P().writes.OpenForAppend(this->subject.StaleTemporary(file)), kOk);
  ASSERT_EQ(this->subject.Names(folder).size(), 2u);
  ASSERT_EQ(this->P().writes.RewriteFile(file, "nouveau"), kOk);
  EXPECT_EQ(this->Read(file), "nouveau");
  EXPECT_EQ(this->subject.Names(folder), std::vector<std::string>{"VERSION.txt"});
}

TYPED_TEST_P(PlatformContract, ACopyCommandRunsToItsEndAndIsSeenEnded) {
  const std::string folder = this->subject.Folder();
  ASSERT_EQ(this->P().writes.RewriteFile(folder + "\\A.DAT", "données"), kOk);
  ASSERT_EQ(this->P().writes.CreateFolder(folder + "\\INSTALLMAJ"), kOk);
  std::unique_ptr<Process> process;
  ASSERT_EQ(this->P().processes.StartProcess(
                "xcopy \"" + folder + "\\A.DAT\" \"" + folder + "\\INSTALLMAJ\" /C /Y",
                StartWindow::NoConsoleWindow, process),
            kOk);
  ASSERT_TRUE(process);
  bool ended = false;
  // Messages that wake the wait are taken, as the run's own loop does.
  for (int wait = 0; wait < 600 && !ended; ++wait) {
    ASSERT_EQ(process->WaitForEnd(50, ended), kOk);
    this->P().op.DoEvents();
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(this->Read(folder + "\\INSTALLMAJ\\A.DAT"), "données");
}

TYPED_TEST_P(PlatformContract, AFoldersWriteAccessAndRoomAreReadWithoutAnythingMade) {
  const std::string folder = this->subject.Folder();
  for (const FolderWrite what : {FolderWrite::File, FolderWrite::Folder}) {
    bool allowed = false;
    ASSERT_EQ(this->P().files.WriteAllowed(folder, what, allowed), kOk);
    EXPECT_TRUE(allowed) << "a fresh folder of ours";
    EXPECT_NE(this->P().files.WriteAllowed(folder + "\\absent", what, allowed), kOk);
  }
  std::uint64_t room = 0;
  ASSERT_EQ(this->P().files.FreeSpace(folder, room), kOk);
  EXPECT_GT(room, 0u);
  EXPECT_TRUE(this->subject.Names(folder).empty()) << "nothing created";
}

REGISTER_TYPED_TEST_SUITE_P(PlatformContract, FoldersAreFoundCreatedOnceAndNeedTheirParent,
                            AppendCreatesAnEmptyFileThenLeavesItAlone,
                            MissingFilesAndFoldersHaveTheirOwnNumbers,
                            ARewriteReplacesTheBytesWholeAndLeavesOnlyTheFile,
                            AReadOnlyFileIsRefusedAndKept,
                            ARewriteRemovesTheTemporaryAKilledOneLeft,
                            ACopyCommandRunsToItsEndAndIsSeenEnded,
                            AFoldersWriteAccessAndRoomAreReadWithoutAnythingMade);

}  // namespace maj::contract
