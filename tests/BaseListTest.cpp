// The base list file: whole lines, CR or CRLF ends, at most 30 entries, read
// through the ANSI code page, and the file closed on every path.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/TextInput.h"
#include "state/RunState.h"
#include "steps/Recup_Base.h"
#include "tests/support/Cp1252.h"
#include "tests/support/TestPlatform.h"

namespace maj {
namespace {

class BaseListTest : public ::testing::Test {
 protected:
  ErrorNumber Read(const std::string& bytes) {
    platform.WriteFile(kBaseListPath, bytes);
    tail = {};
    return Recup_Base(state.W_Bases, platform, platform, tail);
  }
  int Filled() const {
    int n = 0;
    for (const auto& e : state.W_Bases) n += e.empty() ? 0 : 1;
    return n;
  }
  void TearDown() override { EXPECT_EQ(platform.openFiles, 0) << "the list file was left open"; }

  test::TestPlatform platform;
  RunState state;
  ListTail tail;
};

TEST_F(BaseListTest, LineEndsAreCrOrCrLfAndTheLastMayLackOne) {
  for (const std::string bytes : {"A\r\nB\r\nC\r\n", "A\r\nB\r\nC", "A\rB\rC", "A\rB\r\nC\r"}) {
    state = RunState{};
    ASSERT_EQ(Read(bytes), kOk) << bytes;
    EXPECT_EQ(state.Base(1), "A");
    EXPECT_EQ(state.Base(2), "B");
    EXPECT_EQ(state.Base(3), "C");
    EXPECT_EQ(Filled(), 3);
  }
}

TEST_F(BaseListTest, LinesAreTakenWholeWithBlanksAndEmptyLinesInPlace) {
  ASSERT_EQ(Read("  BASE A \r\n\r\nBASE\tC\nX\r\n\r\n"), kOk);
  EXPECT_EQ(state.Base(1), "  BASE A ");
  EXPECT_EQ(state.Base(2), "");
  // A line feed alone does not end a line.
  EXPECT_EQ(state.Base(3), "BASE\tC\nX");
  // The extra line end at the end gives one more, empty, entry.
  EXPECT_EQ(state.Base(4), "");
  EXPECT_EQ(Filled(), 2);
}

TEST_F(BaseListTest, BytesAreReadThroughTheAnsiCodePage) {
  ASSERT_EQ(Read("CR\xC9TEIL\r\n\x80 \x9C \xFF\r\n"), kOk);
  EXPECT_EQ(state.Base(1), "CRÉTEIL");
  EXPECT_EQ(state.Base(2), "€ œ ÿ");
}

TEST_F(BaseListTest, AListMarkedAsUtf8IsReadAsUtf8WithoutItsMark) {
  // What a modern editor saves: the mark, then UTF-8.
  ASSERT_EQ(Read("\xEF\xBB\xBF"
                 "CRÉTEIL\r\nœ ÿ € Ω\r\n"),
            kOk);
  EXPECT_EQ(state.Base(1), "CRÉTEIL");
  EXPECT_EQ(state.Base(2), "œ ÿ € Ω");
  EXPECT_EQ(Filled(), 2);

  // The mark alone is an empty file.
  state = RunState{};
  EXPECT_EQ(Read("\xEF\xBB\xBF"), kErrInputPastEnd);
  EXPECT_EQ(Filled(), 0);

  // Lines across the reader's chunks after the mark.
  state = RunState{};
  ASSERT_EQ(Read("\xEF\xBB\xBF" + std::string(4092, 'x') + "\r\né"), kOk);
  EXPECT_EQ(state.Base(1), std::string(4092, 'x'));
  EXPECT_EQ(state.Base(2), "é");

  // Anything else, a mark further on or a part of one, goes through the ANSI
  // code page as before.
  state = RunState{};
  ASSERT_EQ(Read("A\r\n\xEF\xBB\xBF"
                 "B\r\n\xEF\xBB"
                 "X"),
            kOk);
  EXPECT_EQ(state.Base(1), "A");
  EXPECT_EQ(state.Base(2), "ï»¿B");
  EXPECT_EQ(state.Base(3), "ï»X");
  state = RunState{};
  ASSERT_EQ(Read("\xEF\xBB"), kOk);
  EXPECT_EQ(state.Base(1), "ï»");
}

// The bytes of a UTF-16 text behind its byte-order mark.
std::string Utf16(std::u16string_view text, bool bigEnd) {
  std::string bytes = bigEnd ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEnd ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST_F(BaseListTest, ListsSavedByTodaysToolsAreReadInTheirEncoding) {
  // PowerShell's UTF-16, either end first, a character beyond the BMP included.
  for (const bool bigEnd : {false, true}) {
    state = RunState{};
    ASSERT_EQ(Read(Utf16(u"BASE1\r\nÉTÉ \U0001D11E\r\nC", bigEnd)), kOk);
    EXPECT_EQ(state.Base(1), "BASE1");
    EXPECT_EQ(state.Base(2), "ÉTÉ \U0001D11E");
    EXPECT_EQ(state.Base(3), "C");
    EXPECT_EQ(Filled(), 3);
  }
  // A lone surrogate and a final odd byte cannot be read: each one character.
  state = RunState{};
  ASSERT_EQ(Read(Utf16(u"A\xD800\r\n", false) + "B"), kOk);
  EXPECT_EQ(state.Base(1), "A\uFFFD");
  EXPECT_EQ(state.Base(2), "\uFFFD");

  // Notepad's UTF-8 without a mark.
  state = RunState{};
  ASSERT_EQ(Read("BASE1\r\nÉTÉ\r\n"), kOk);
  EXPECT_EQ(state.Base(2), "ÉTÉ");

  // Windows-1252 accents, or an overlong or surrogate form: not UTF-8.
  for (const std::string bytes : {"\xC9T\xC9", "\xC0\xA9", "\xED\xA0\x80", "\xC3"}) {
    state = RunState{};
    ASSERT_EQ(Read(bytes), kOk);
    EXPECT_EQ(state.Base(1), test::Cp1252ToUtf8(bytes));
  }
}

TEST_F(BaseListTest, ThirtyLinesFillTheListAndAThirtyFirstIsAFailure) {
  std::string thirty;
  for (int i = 1; i <= 30; ++i) thirty += "B" + std::to_string(i) + "\r\n";
  ASSERT_EQ(Read(thirty), kOk);
  EXPECT_EQ(state.Base(30), "B30");

  state = RunState{};
  EXPECT_EQ(Read(thirty + "B31\r\nB32\r\n"), kErrSubscriptOutOfRange);
  EXPECT_EQ(Filled(), 30);
  EXPECT_EQ(state.Base(1), "B1");
  EXPECT_EQ(state.Base(30), "B30");
  EXPECT_EQ(tail.names, (std::vector<std::string>{"B31", "B32"}));
  EXPECT_EQ(BaseListState(state.W_Bases, kErrSubscriptOutOfRange, tail), ListState::TooMany);

  // A runaway file is read no further than the limit, and counts as too long
  // whatever its lines: the line the limit cuts is not taken.
  state = RunState{};
  const std::string huge = "A\r\nB\r\n" + std::string(kBaseListBytes, 'x') + "\r\nC\r\n";
  EXPECT_EQ(Read(huge), kErrSubscriptOutOfRange);
  EXPECT_EQ(Filled(), 2);
  EXPECT_EQ(BaseListState(state.W_Bases, kErrSubscriptOutOfRange, tail), ListState::Incomplete);
}

TEST_F(BaseListTest, EmptyOrMissingFileLeavesTheListEmpty) {
  EXPECT_EQ(Read(""), kErrInputPastEnd);
  EXPECT_EQ(Filled(), 0);

  std::filesystem::remove(platform.Map(kBaseListPath));
  EXPECT_EQ(Recup_Base(state.W_Bases, platform, platform, tail), kWin32FileNotFound);
  EXPECT_EQ(Filled(), 0);

  // An unreachable share fails the same way, without a crash.
  std::filesystem::remove_all(platform.Map(R"(\\127.0.0.1\UNIDATA)"));
  EXPECT_NE(Recup_Base(state.W_Bases, platform, platform, tail), kOk);
  EXPECT_EQ(Filled(), 0);
}

TEST_F(BaseListTest, LongLinesAndLineEndsAcrossReadChunksAreSplitExactly) {
  // Lines longer than the reader's buffer, with a CR LF pair that straddles it.
  const std::string longLine(4095, 'x');
  ASSERT_EQ(Read(longLine + "\r\n" + std::string(9000, 'y') + "\r"), kOk);
  EXPECT_EQ(state.Base(1), longLine);
  EXPECT_EQ(state.Base(2), std::string(9000, 'y'));
  EXPECT_EQ(Filled(), 2);
}

TEST_F(BaseListTest, ReaderReportsTheEndOnlyAfterTheLastLine) {
  platform.WriteFile(R"(C:\T.TXT)", "A\r\n");
  TextInput in;
  ASSERT_EQ(in.Open(platform, platform, R"(C:\T.TXT)"), kOk);
  bool atEnd = true;
  ASSERT_EQ(in.Eof(atEnd), kOk);
  EXPECT_FALSE(atEnd);
  std::string line;
  ASSERT_EQ(in.LineInput(line), kOk);
  EXPECT_EQ(line, "A");
  ASSERT_EQ(in.Eof(atEnd), kOk);
  EXPECT_TRUE(atEnd);
  EXPECT_EQ(in.LineInput(line), kErrInputPastEnd);
  EXPECT_EQ(line, "A");
}

}  // namespace
}  // namespace maj
