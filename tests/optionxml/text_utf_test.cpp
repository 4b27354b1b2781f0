#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "components/text_utf.h"

namespace {

struct Utf8Case {
  const char* name;
  std::string bytes;
  std::u16string decoded;
  bool valid;
};

// CTest names each case by what this prints.
void PrintTo(const Utf8Case& c, std::ostream* os) {
  *os << c.name;
}

class Utf8Decoding : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Decoding, DecodesWithOneReplacementPerMaximalBadSubpart) {
  const Utf8Case& c = GetParam();
  EXPECT_EQ(Utf8ToUtf16(c.bytes), c.decoded);
  EXPECT_EQ(IsValidUtf8(c.bytes), c.valid);
}

const std::u16string kBad = u"\uFFFD";

INSTANTIATE_TEST_SUITE_P(
    TextUtf, Utf8Decoding,
    testing::Values(Utf8Case{"Ascii", "abc", u"abc", true}, Utf8Case{"Empty", "", u"", true},
                    Utf8Case{"TwoBytes", "\xC3\xA9", u"\u00E9", true},
                    Utf8Case{"ThreeBytesLargest", "\xEF\xBF\xBF", u"\uFFFF", true},
                    Utf8Case{"ReplacementCharacterItself", "\xEF\xBF\xBD", u"\uFFFD", true},
                    Utf8Case{"AstralBecomesPair", "\xF0\x9F\x98\x80", u"\U0001F600", true},
                    Utf8Case{"LargestCodePoint", "\xF4\x8F\xBF\xBF", u"\U0010FFFF", true},
                    Utf8Case{"StrayContinuation", "a\x80z", u"a" + kBad + u"z", false},
                    Utf8Case{"ByteFF", "\xFF", kBad, false},
                    Utf8Case{"OverlongSlash", "\xC0\xAF", kBad + kBad, false},
                    Utf8Case{"OverlongThreeBytes", "\xE0\x80\xAF", kBad + kBad + kBad, false},
                    Utf8Case{"EncodedSurrogate", "\xED\xA0\x80", kBad + kBad + kBad, false},
                    Utf8Case{"AboveLargest", "\xF4\x90\x80\x80", kBad + kBad + kBad + kBad, false},
                    Utf8Case{"LeadF5", "\xF5\x80", kBad + kBad, false},
                    Utf8Case{"TruncatedKeepsTheNextCharacter", "\xE2\x82z", kBad + u"z", false},
                    Utf8Case{"TruncatedAtTheEnd", "a\xF0\x9F\x98", u"a" + kBad, false}));

struct Utf16Case {
  const char* name;
  std::u16string text;
  std::string encoded;
};

void PrintTo(const Utf16Case& c, std::ostream* os) {
  *os << c.name;
}

class Utf16Encoding : public testing::TestWithParam<Utf16Case> {};

TEST_P(Utf16Encoding, EncodesAndLoneSurrogatesBecomeReplacement) {
  const Utf16Case& c = GetParam();
  const std::string out = Utf16ToUtf8(c.text);
  EXPECT_EQ(out, c.encoded);
  EXPECT_TRUE(IsValidUtf8(out));
}

const std::string kBad8 = "\xEF\xBF\xBD";

INSTANTIATE_TEST_SUITE_P(
    TextUtf, Utf16Encoding,
    testing::Values(Utf16Case{"Ascii", u"abc", "abc"}, Utf16Case{"Pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
                    Utf16Case{"LoneHigh",
                              u"a\xD800"
                              u"b",
                              "a" + kBad8 + "b"},
                    Utf16Case{"LoneLow", u"\xDC00", kBad8},
                    Utf16Case{"HighAtTheEnd", u"a\xDBFF", "a" + kBad8},
                    Utf16Case{"ReversedPair", u"\xDC00\xD800", kBad8 + kBad8},
                    Utf16Case{"HighBeforePair", u"\xD800\xD83D\xDE00", kBad8 + "\xF0\x9F\x98\x80"}));

TEST(TextUtf, EveryCodePointSurvivesBothConversions) {
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) {
      continue;
    }
    std::u16string text;
    if (c < 0x10000) {
      text += static_cast<char16_t>(c);
    } else {
      text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    const std::string utf8 = Utf16ToUtf8(text);
    ASSERT_TRUE(IsValidUtf8(utf8)) << std::hex << static_cast<uint32_t>(c);
    ASSERT_EQ(Utf8ToUtf16(utf8), text) << std::hex << static_cast<uint32_t>(c);
  }
}

struct FieldCase {
  const char* name;
  std::string text;
  size_t width;
  std::string kept;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
  *os << c.name;
}

class CopyToField : public testing::TestWithParam<FieldCase> {};

TEST_P(CopyToField, KeepsWholeCharactersWithinTheWidth) {
  const FieldCase& c = GetParam();
  constexpr char kGuard = '\x5A';
  std::vector<char> buffer(c.width + 8, kGuard);
  CopyTextToField(buffer.data(), c.width, c.text);

  for (size_t i = c.width; i < buffer.size(); ++i) {
    ASSERT_EQ(buffer[i], kGuard) << "written past the width at " << i;
  }
  if (c.width == 0) {
    return;
  }
  EXPECT_EQ(std::string(buffer.data()), c.kept);
  for (size_t i = c.kept.size(); i < c.width; ++i) {
    EXPECT_EQ(buffer[i], '\0') << "the rest of the field is cleared, at " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(TextUtf, CopyToField,
                         testing::Values(FieldCase{"ZeroWidthWritesNothing", "abc", 0, ""},
                                         FieldCase{"OnlyTheTerminator", "abc", 1, ""},
                                         FieldCase{"AsciiCut", "abc", 3, "ab"},
                                         FieldCase{"ExactFit", "abc", 4, "abc"},
                                         FieldCase{"RoomToSpare", "abc", 10, "abc"},
                                         FieldCase{"TwoByteDoesNotFit", "\xC3\xA9", 2, ""},
                                         FieldCase{"TwoByteAfterAscii", "a\xC3\xA9", 3, "a"},
                                         FieldCase{"TwoByteFits", "a\xC3\xA9", 4, "a\xC3\xA9"},
                                         FieldCase{"ThreeByteOneShort", "\xE2\x82\xAC", 3, ""},
                                         FieldCase{"ThreeByteFits", "\xE2\x82\xAC", 4, "\xE2\x82\xAC"},
                                         FieldCase{"FourByteOneShort",
                                                   "ab\xF0\x9F\x98\x80"
                                                   "cd",
                                                   6, "ab"},
                                         FieldCase{"FourByteFits",
                                                   "ab\xF0\x9F\x98\x80"
                                                   "cd",
                                                   7, "ab\xF0\x9F\x98\x80"},
                                         FieldCase{"BrokenSequenceIsOneUnit", "a\xE2\x82", 3, "a"},
                                         FieldCase{"BrokenSequenceFits", "a\xE2\x82", 4, "a\xE2\x82"}));

}  // namespace
