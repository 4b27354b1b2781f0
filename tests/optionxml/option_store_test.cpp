#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "tests/optionxml/option_test_support.h"

namespace {

using namespace optionxml_test;

struct Awkward {
  const char* name;
  std::u16string text;
  std::u16string expected;
};

// CTest names each case by what this prints.
void PrintTo(const Awkward& c, std::ostream* os) {
  *os << c.name;
}

class TextRoundTrip : public testing::TestWithParam<Awkward> {};

// A text goes through a setting, a record's name and value, and a key, all written and read back
// by a second store.
TEST_P(TextRoundTrip, ComesBackExactlyAfterSaveAndLoad) {
  const Awkward& c = GetParam();
  TempDir dir;
  const std::u16string file = U16(dir.File("options.xml"));
  {
    auto store = NewStore();
    store->SetString(u"general\\text", c.text.c_str());
    store->SetString((u"keys\\" + c.text).c_str(), u"as key");
    store->AddRecord(c.text.c_str());
    store->SetString(u"text", c.text.c_str());
    ASSERT_TRUE(store->SaveAs(file.c_str()));
  }
  auto store = NewStore();
  ASSERT_TRUE(store->Load(file.c_str()));
  EXPECT_EQ(std::u16string(store->GetString(u"general\\text")), c.expected);
  if (!c.text.empty()) {
    EXPECT_EQ(std::u16string(store->GetString((u"keys\\" + c.expected).c_str())), u"as key");
  }
  ASSERT_TRUE(store->FirstRecord(c.expected.c_str()));
  EXPECT_EQ(std::u16string(store->GetString(u"text")), c.expected);
}

std::u16string AllControls() {
  std::u16string text;
  for (char16_t c = 1; c < 0x20; ++c) {
    text += c;
  }
  return text;
}

Awkward Same(const char* name, std::u16string text) {
  return {name, text, text};
}

INSTANTIATE_TEST_SUITE_P(
    OptionStore, TextRoundTrip,
    testing::Values(Same("Empty", u""), Same("OneBlank", u" "), Same("WhiteSpaceOnly", u" \t \r\n "),
                    Same("LeadingAndTrailingBlanks", u"  padded  "), Same("CarriageReturn", u"a\rb"),
                    Same("WindowsLines", u"line1\r\nline2\r\n"), Same("Tabs", u"\tindented\t"),
                    Same("EveryControlCharacter", AllControls()),
                    Same("XmlSpecials", u"<a href=\"x\">&amp; 'y'</a> ]]> &#10;"),
                    Same("Backslashes", u"C:\\dir\\file\\"),
                    Same("Scripts", u"Gr\u00FC\u00DFe \u65E5\u672C \u05E2\u05D1"),
                    Same("AstralPlanes", u"\U0001F600\U00020000\U0010FFFD"),
                    Same("NonCharactersAndMarks", u"\uFEFF\uFFFE\uFFFF\u007F\u0085\u2028"),
                    Awkward{"LoneHighSurrogate",
                            u"a\xD800"
                            u"b",
                            u"a\uFFFDb"},
                    Awkward{"LoneLowSurrogateAtTheEnd", u"x\xDC00", u"x\uFFFD"}));

// The sequence the task list uses to rewrite its file.
TEST(OptionStore, ARecordListIsRewrittenAndReadBack) {
  TempDir dir;
  const std::u16string file = U16(dir.File("list.xml"));
  {
    auto store = NewStore();
    store->SetString(u"general\\keep", u"kept");
    for (int32_t id : {10, 11, 12}) {
      store->AddRecord(u"Group");
      store->SetInt(u"GroupId", id);
    }
    store->AddRecord(u"Other");
    ASSERT_TRUE(store->SaveAs(file.c_str()));
  }
  {
    auto store = NewStore();
    ASSERT_TRUE(store->Load(file.c_str()));
    ASSERT_TRUE(store->FirstRecord(u"Group"));
    store->ClearRecords();
    EXPECT_FALSE(store->FirstRecord(u"Group"));
    EXPECT_FALSE(store->FirstRecord(u"Other"));
    const std::pair<int32_t, const char16_t*> items[] = {{1, u"first"}, {2, u"second"}};
    for (const auto& [id, profile] : items) {
      store->AddRecord(u"Group");
      store->SetInt(u"GroupId", id);
      store->SetString(u"ProfileName", profile);
    }
    ASSERT_TRUE(store->Save());
  }
  auto store = NewStore();
  ASSERT_TRUE(store->Load(file.c_str()));
  EXPECT_EQ(std::u16string(store->GetString(u"general\\keep")), u"kept");
  std::u16string seen;
  for (bool more = store->FirstRecord(u"Group"); more; more = store->NextRecord()) {
    seen += std::u16string(store->GetString(u"ProfileName")) + u"=" +
            char16_t(u'0' + store->GetInt(u"GroupId")) + u";";
  }
  EXPECT_EQ(seen, u"first=1;second=2;");
  EXPECT_FALSE(store->FirstRecord(u"Other"));
}

TEST(OptionStore, FirstUseCreatesTheFile) {
  TempDir dir;
  const std::string path = dir.File("settings.xml");
  {
    auto store = NewStore();
    EXPECT_FALSE(store->Load(U16(path).c_str()));
    store->SetString(u"general\\destination", u"/videos");
    store->SetInt(u"options\\skin", 3);
    ASSERT_TRUE(store->Save());
  }
  ASSERT_TRUE(fs::is_regular_file(path));
  auto store = NewStore();
  ASSERT_TRUE(store->Load(U16(path).c_str()));
  EXPECT_EQ(std::u16string(store->GetString(u"general\\destination")), u"/videos");
  EXPECT_EQ(store->GetInt(u"options\\skin"), 3);
}

TEST(OptionStore, SaveWithoutAPathFails) {
  auto store = NewStore();
  store->SetString(u"a\\b", u"c");
  EXPECT_FALSE(store->Save());
  EXPECT_FALSE(store->Load(nullptr));
  EXPECT_FALSE(store->Save());
  EXPECT_FALSE(store->Load(u""));
  EXPECT_FALSE(store->Save());
}

TEST(OptionStore, EmptyAndNullKeysAddressNothing) {
  TempDir dir;
  auto store = NewStore();
  for (const char16_t* key : {static_cast<const char16_t*>(nullptr), u"", u"general\\", u"\\"}) {
    store->SetString(key, u"x");
    store->SetInt(key, 1);
    EXPECT_FALSE(store->HasKey(key));
    ASSERT_NE(store->GetString(key), nullptr);
    EXPECT_EQ(std::u16string(store->GetString(key)), u"");
    EXPECT_FALSE(store->RemoveKey(key));
  }
  store->SetString(u"general\\nothing", nullptr);
  EXPECT_TRUE(store->HasKey(u"general\\nothing"));
  EXPECT_TRUE(store->RemoveKey(u"general\\nothing"));
  EXPECT_FALSE(store->RemoveKey(u"general\\nothing"));
  ASSERT_TRUE(store->SaveAs(U16(dir.File("o.xml")).c_str()));
  EXPECT_EQ(ReadBytes(dir.File("o.xml")), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<options />\n");
}

// The good file that each malformed one is made from: if any part of a bad file were taken in,
// these values would show.
std::string OptionFile(const std::string& inSection = "", const std::string& inRecord = "",
                       const std::string& inRoot = "", const std::string& before = "",
                       const std::string& after = "") {
  return before +
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<options>\n"
         "  <section name=\"general\">\n"
         "    <value key=\"destination\" text=\"/videos\" />\n"
         "    <value key=\"count\" text=\"7\" />\n"
         "    <value key=\"ratio\" text=\"1.5\" />\n" +
         inSection +
         "  </section>\n"
         "  <record name=\"Group\">\n"
         "    <value key=\"GroupId\" text=\"1\" />\n" +
         inRecord + "  </record>\n" + inRoot + "</options>\n" + after;
}

std::string Repeat(const std::string& piece, size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) {
    out += piece;
  }
  return out;
}

std::string Oversized() {
  std::string values;
  for (int i = 0; values.size() <= 4 * 1024 * 1024; ++i) {
    values += "    <value key=\"k" + std::to_string(i) + "\" text=\"" + std::string(100, 'x') + "\" />\n";
  }
  return OptionFile(values);
}

std::string AsUtf16(const std::string& utf8) {
  std::string out = "\xFF\xFE";
  for (const char16_t c : Utf8ToUtf16(utf8)) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

struct Malformed {
  const char* name;
  std::string bytes;
};

void PrintTo(const Malformed& c, std::ostream* os) {
  *os << c.name;
}

class MalformedFile : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedFile, LoadFailsLeavingAnEmptyStoreThatStillSavesThere) {
  TempDir dir;
  const std::string good = dir.File("good.xml");
  const std::string bad = dir.File("bad.xml");
  WriteBytes(good, OptionFile());
  WriteBytes(bad, GetParam().bytes);

  auto store = NewStore();
  ASSERT_TRUE(store->Load(U16(good).c_str()));
  ASSERT_TRUE(store->FirstRecord(u"Group"));
  ASSERT_EQ(store->GetInt(u"GroupId"), 1);

  EXPECT_FALSE(store->Load(U16(bad).c_str()));
  EXPECT_EQ(std::u16string(store->GetString(u"general\\destination")), u"");
  EXPECT_EQ(store->GetInt(u"general\\count"), 0);
  int32_t untouched = -5;
  EXPECT_FALSE(store->TryGetInt(u"general\\count", &untouched));
  EXPECT_EQ(untouched, -5);
  EXPECT_EQ(store->GetDouble(u"general\\ratio"), 0.0);
  EXPECT_FALSE(store->HasKey(u"general\\destination"));
  EXPECT_EQ(store->GetInt(u"GroupId"), 0) << "no record stays selected";
  EXPECT_FALSE(store->FirstRecord(u"Group")) << "no record of a refused file is taken in";

  store->SetString(u"general\\after", u"yes");
  ASSERT_TRUE(store->Save()) << "the failed Load's path is kept for Save";
  auto reread = NewStore();
  ASSERT_TRUE(reread->Load(U16(bad).c_str()));
  EXPECT_EQ(std::u16string(reread->GetString(u"general\\after")), u"yes");
  EXPECT_FALSE(reread->HasKey(u"general\\destination"));
}

INSTANTIATE_TEST_SUITE_P(
    OptionStore, MalformedFile,
    testing::Values(
        Malformed{"EmptyFile", ""}, Malformed{"BlanksOnly", " \n\t\n"},
        Malformed{"Truncated", OptionFile().substr(0, OptionFile().size() / 2)},
        Malformed{"InvalidByte", OptionFile("<value key=\"x\" text=\"\xFF\" />\n")},
        Malformed{"OverlongEncoding", OptionFile("<value key=\"x\" text=\"\xC0\xAF\" />\n")},
        Malformed{"EncodedSurrogate", OptionFile("<value key=\"x\" text=\"\xED\xA0\x80\" />\n")},
        Malformed{"ReferenceToSurrogate", OptionFile("<value key=\"x\" text=\"&#xD800;\" />\n")},
        Malformed{"ReferenceBeyondUnicode", OptionFile("<value key=\"x\" text=\"&#x110000;\" />\n")},
        Malformed{"ReferenceToNul", OptionFile("<value key=\"x\" text=\"a&#0;b\" />\n")},
        Malformed{"NulByte", OptionFile("", "", "", "", std::string(1, '\0'))},
        Malformed{"TwoRoots", OptionFile("", "", "", "", "<options />\n")},
        Malformed{"TextAfterTheRoot", OptionFile("", "", "", "", "junk\n")},
        Malformed{"OtherRoot", "<settings><section name=\"general\" /></settings>"},
        Malformed{"RootWithAttribute", "<options version=\"2\" />"},
        Malformed{"UnknownElement", OptionFile("<item key=\"x\" text=\"y\" />\n")},
        Malformed{"UnknownAttribute", OptionFile("<value key=\"x\" text=\"y\" type=\"int\" />\n")},
        Malformed{"AttributeTwice", OptionFile("<value key=\"x\" key=\"z\" text=\"y\" />\n")},
        Malformed{"MissingText", OptionFile("<value key=\"x\" />\n")},
        Malformed{"EmptyKey", OptionFile("<value key=\"\" text=\"y\" />\n")},
        Malformed{"TextInASection", OptionFile("hello\n")}, Malformed{"Cdata", OptionFile("<![CDATA[x]]>\n")},
        Malformed{"DuplicateKeyInASection", OptionFile("<value key=\"count\" text=\"8\" />\n")},
        Malformed{"DuplicateKeyInARecord", OptionFile("", "<value key=\"GroupId\" text=\"2\" />\n")},
        Malformed{"DuplicateSectionName", OptionFile("", "", "<section name=\"general\" />\n")},
        Malformed{"LaterRecordBroken",
                  OptionFile("", "",
                             "<record name=\"Group\"><value key=\"GroupId\" text=\"2\" />"
                             "<value key=\"GroupId\" text=\"3\" /></record>\n")},
        Malformed{"RecordWithoutName", OptionFile("", "", "<record />\n")},
        Malformed{"ValueOutsideASection", OptionFile("", "", "<value key=\"a\" text=\"b\" />\n")},
        Malformed{"ValueWithChild",
                  OptionFile("<value key=\"x\" text=\"y\"><value key=\"z\" text=\"w\" /></value>\n")},
        Malformed{"DeepNesting", OptionFile("<value key=\"x\" text=\"y\">" + Repeat("<n>", 100000) +
                                            Repeat("</n>", 100000) + "</value>\n")},
        Malformed{"DeepNestingNeverClosed", OptionFile("", "", Repeat("<n>", 100000))},
        Malformed{"Oversized", Oversized()},
        Malformed{"DoctypeWithEntity", OptionFile("<value key=\"x\" text=\"&big;\" />\n", "", "",
                                                  "<!DOCTYPE options [<!ENTITY big \"boom\">]>\n")},
        Malformed{"Doctype", OptionFile("", "", "", "<!DOCTYPE options>\n")},
        Malformed{"Utf16", AsUtf16(OptionFile())}));

// Neither kind may be read, and a FIFO must not block the caller.
TEST(OptionStore, LoadRefusesWhatIsNotARegularFile) {
  TempDir dir;
  const std::string folder = dir.File("folder.xml");
  const std::string fifo = dir.File("fifo.xml");
  ASSERT_TRUE(fs::create_directory(folder));
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto store = NewStore();
  EXPECT_FALSE(store->Load(U16(folder).c_str()));
  EXPECT_FALSE(store->Load(U16(fifo).c_str()));
}

struct IntText {
  const char* name;
  const char* text;
  bool holdsInt;
  int32_t value;
};

void PrintTo(const IntText& c, std::ostream* os) {
  *os << c.name;
}

class IntReading : public testing::TestWithParam<IntText> {};

TEST_P(IntReading, OnlyStrictDecimal32BitTextsAreIntegers) {
  const IntText& c = GetParam();
  auto store = NewStore();
  store->SetString(u"s\\n", Utf8ToUtf16(c.text).c_str());
  int32_t out = 12345;
  EXPECT_EQ(store->TryGetInt(u"s\\n", &out), c.holdsInt);
  EXPECT_EQ(out, c.holdsInt ? c.value : 12345);
  EXPECT_EQ(store->GetInt(u"s\\n"), c.holdsInt ? c.value : 0);
}

INSTANTIATE_TEST_SUITE_P(
    OptionStore, IntReading,
    testing::Values(IntText{"Zero", "0", true, 0}, IntText{"NegativeZero", "-0", true, 0},
                    IntText{"PlusSign", "+42", true, 42}, IntText{"LeadingZeros", "007", true, 7},
                    IntText{"ManyLeadingZeros", "0000000000000000000000012", true, 12},
                    IntText{"Largest", "2147483647", true, 2147483647},
                    IntText{"Smallest", "-2147483648", true, std::numeric_limits<int32_t>::min()},
                    IntText{"OneAboveLargest", "2147483648", false, 0},
                    IntText{"OneBelowSmallest", "-2147483649", false, 0},
                    IntText{"FarTooLarge", "99999999999999999999", false, 0}, IntText{"Empty", "", false, 0},
                    IntText{"SignOnly", "-", false, 0}, IntText{"PlusOnly", "+", false, 0},
                    IntText{"LeadingBlank", " 1", false, 0}, IntText{"TrailingBlank", "1 ", false, 0},
                    IntText{"Fraction", "1.0", false, 0}, IntText{"Hexadecimal", "0x1F", false, 0},
                    IntText{"Exponent", "1e3", false, 0}, IntText{"TwoSigns", "--1", false, 0},
                    IntText{"ArabicIndicDigit", "\xD9\xA1", false, 0}));

TEST(OptionStore, NumbersSurviveSaveAndLoadExactly) {
  const int32_t ints[] = {std::numeric_limits<int32_t>::min(), -1, 0, 1, std::numeric_limits<int32_t>::max()};
  const double doubles[] = {0.1,
                            1.0 / 3.0,
                            -0.0,
                            123456789.125,
                            std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::max(),
                            -std::numeric_limits<double>::min(),
                            std::numeric_limits<double>::infinity()};
  TempDir dir;
  const std::u16string file = U16(dir.File("n.xml"));
  {
    auto store = NewStore();
    for (size_t i = 0; i < std::size(ints); ++i) {
      store->SetInt((u"i\\" + Utf8ToUtf16(std::to_string(i))).c_str(), ints[i]);
    }
    for (size_t i = 0; i < std::size(doubles); ++i) {
      store->SetDouble((u"d\\" + Utf8ToUtf16(std::to_string(i))).c_str(), doubles[i]);
    }
    ASSERT_TRUE(store->SaveAs(file.c_str()));
  }
  auto store = NewStore();
  ASSERT_TRUE(store->Load(file.c_str()));
  for (size_t i = 0; i < std::size(ints); ++i) {
    EXPECT_EQ(store->GetInt((u"i\\" + Utf8ToUtf16(std::to_string(i))).c_str()), ints[i]);
  }
  for (size_t i = 0; i < std::size(doubles); ++i) {
    const double back = store->GetDouble((u"d\\" + Utf8ToUtf16(std::to_string(i))).c_str());
    EXPECT_EQ(std::memcmp(&back, &doubles[i], sizeof back), 0) << doubles[i] << " came back as " << back;
  }
}

TEST(OptionStore, GetDoubleGivesZeroForWhatIsNoNumber) {
  auto store = NewStore();
  const std::pair<const char16_t*, double> cases[] = {{u"2", 2.0},    {u"-1.5e3", -1500.0}, {u"abc", 0.0},
                                                      {u"1.5x", 0.0}, {u"", 0.0},           {u" 1.5", 0.0},
                                                      {u"1,5", 0.0}};
  for (const auto& [text, expected] : cases) {
    store->SetString(u"s\\d", text);
    EXPECT_EQ(store->GetDouble(u"s\\d"), expected) << Utf16ToUtf8(text);
  }
  EXPECT_EQ(store->GetDouble(u"s\\absent"), 0.0);
}

}  // namespace
