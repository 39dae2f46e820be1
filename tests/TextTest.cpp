// Text helpers: upper case of a typed path, first character, text box length,
// and the code page of the test platform.
#include <gtest/gtest.h>

#include "platform/Text.h"
#include "tests/support/Cp1252.h"

namespace maj {
namespace {

TEST(TextTest, UpperCaseCoversTheLettersOfAFrenchServer) {
  EXPECT_EQ(UpperCase(R"(d:\bases\x)"), R"(D:\BASES\X)");
  EXPECT_EQ(UpperCase("crèche, été, œuvre, ÿ, ß, ž, ĺ"), "CRÈCHE, ÉTÉ, ŒUVRE, Ÿ, ß, Ž, Ĺ");
  EXPECT_EQ(UpperCase("÷ 1 € \xFF"), "÷ 1 € \xFF");  // non-letters and stray bytes kept
  EXPECT_EQ(UpperCase(""), "");
}

TEST(TextTest, FirstCharacterIsAWholeCharacter) {
  EXPECT_EQ(FirstCharacter(R"(D:\BASES)"), "D");
  EXPECT_EQ(FirstCharacter("Été"), "É");
  EXPECT_EQ(FirstCharacter("€"), "€");
  EXPECT_EQ(FirstCharacter(""), "");
}

TEST(TextTest, Utf16LengthCountsAsATextBoxDoes) {
  EXPECT_EQ(Utf16Length("abc"), 3u);
  EXPECT_EQ(Utf16Length("Hélène"), 6u);
  EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u);  // outside the basic plane: a surrogate pair
}

TEST(TextTest, Cp1252RoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(test::Utf8ToCp1252(test::Cp1252ToUtf8(all)), all);
  EXPECT_EQ(test::Cp1252ToUtf8("\x80\x9C\xE9"), "€œé");
  EXPECT_EQ(test::Utf8ToCp1252("Ω"), "?");
}

TEST(TextTest, SecureWipeZeroesTheWholeBufferInPlace) {
  std::string secret(64, 'x');
  secret = "s3cret";  // shorter: the older bytes stay in the same buffer
  const char* buffer = secret.data();
  const std::size_t capacity = secret.capacity();
  SecureWipe(secret);
  EXPECT_TRUE(secret.empty());
  ASSERT_EQ(secret.data(), buffer);
  EXPECT_EQ(std::string(buffer, capacity), std::string(capacity, '\0'));
}

}  // namespace
}  // namespace maj
