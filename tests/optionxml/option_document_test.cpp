#include <gtest/gtest.h>

#include <string>

#include "engines/optionxml/option_document.h"

namespace {

using optionxml::OptionDocument;

std::string TextAt(const OptionDocument& document, std::string_view path) {
  const std::string* text = document.Find(path);
  return text == nullptr ? "<absent>" : *text;
}

// The file format is what other people and other versions read: it must not drift.
TEST(OptionDocument, WritesTheDocumentedLayout) {
  OptionDocument document;
  ASSERT_TRUE(document.Set("general\\destination", "/home/me/Videos"));
  ASSERT_TRUE(document.Set("product\\version", "1.0"));
  ASSERT_TRUE(document.AddRecord("Group"));
  ASSERT_TRUE(document.Set("GroupId", "1"));
  ASSERT_TRUE(document.AddRecord("Group"));

  EXPECT_EQ(document.Serialize(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<options>\n"
            "  <section name=\"general\">\n"
            "    <value key=\"destination\" text=\"/home/me/Videos\" />\n"
            "  </section>\n"
            "  <section name=\"product\">\n"
            "    <value key=\"version\" text=\"1.0\" />\n"
            "  </section>\n"
            "  <record name=\"Group\">\n"
            "    <value key=\"GroupId\" text=\"1\" />\n"
            "  </record>\n"
            "  <record name=\"Group\" />\n"
            "</options>\n");
}

// Every control character is written as a character reference, so line ends and tabs in a text
// cannot be confused with the file's own layout, nor normalised away when it is read.
TEST(OptionDocument, ControlCharactersAreEscapedAndComeBack) {
  std::string controls;
  for (char c = 1; c < 0x20; ++c) {
    controls += c;
  }
  OptionDocument document;
  ASSERT_TRUE(document.Set("s\\k", controls + " \r\n\t "));
  const std::string xml = document.Serialize();
  for (const char c : xml) {
    ASSERT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\n') << "raw control " << int(c);
  }
  EXPECT_NE(xml.find("&#13;&#10;&#09;"), std::string::npos) << xml;

  OptionDocument reread;
  ASSERT_TRUE(reread.Parse(xml));
  EXPECT_EQ(TextAt(reread, "s\\k"), controls + " \r\n\t ");
  EXPECT_EQ(reread.Serialize(), xml);
}

struct HandWritten {
  const char* name;
  std::string xml;
  std::string text;  // of "s\k"
};

// CTest names each case by what this prints.
void PrintTo(const HandWritten& c, std::ostream* os) {
  *os << c.name;
}

class HandWrittenFile : public testing::TestWithParam<HandWritten> {};

// What a person may reasonably type is accepted, and read the way XML reads it.
TEST_P(HandWrittenFile, IsAccepted) {
  OptionDocument document;
  ASSERT_TRUE(document.Parse(GetParam().xml));
  EXPECT_EQ(TextAt(document, "s\\k"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    OptionDocument, HandWrittenFile,
    testing::Values(
        HandWritten{"NoDeclaration",
                    "<options><section name='s'><value key='k' text='v'/></section></options>", "v"},
        HandWritten{"Utf8ByteOrderMark",
                    "\xEF\xBB\xBF<?xml version=\"1.0\"?><options><section name=\"s\"><value key=\"k\" "
                    "text=\"v\"/></section></options>",
                    "v"},
        HandWritten{"CommentsAndWindowsLineEnds",
                    "<!-- mine -->\r\n<options>\r\n<!-- note -->\r\n<section name=\"s\">\r\n<value key=\"k\" "
                    "text=\"v\"/>\r\n</section>\r\n</options>\r\n",
                    "v"},
        HandWritten{"AttributesInOtherOrder",
                    "<options><section name='s'><value text='v' key='k'/></section></options>", "v"},
        HandWritten{"LiteralWhiteSpaceBecomesBlanks",
                    "<options><section name='s'><value key='k' text='a\tb\nc\r\nd'/></section></options>",
                    "a b c d"},
        HandWritten{
            "EscapedWhiteSpaceIsKept",
            "<options><section name='s'><value key='k' text='a&#9;b&#xA;c&#13;&#10;d'/></section></options>",
            "a\tb\nc\r\nd"},
        HandWritten{"NamedEntities",
                    "<options><section name='s'><value key='k' "
                    "text='&lt;&amp;&gt;&quot;&apos;'/></section></options>",
                    "<&>\"'"}));

TEST(OptionDocument, EveryCutOfAFileIsRefused) {
  OptionDocument document;
  ASSERT_TRUE(document.Set("general\\destination", "/tmp/a b"));
  ASSERT_TRUE(document.AddRecord("Group"));
  ASSERT_TRUE(document.Set("GroupId", "1"));
  const std::string xml = document.Serialize();
  const size_t end = xml.rfind('>') + 1;
  for (size_t length = 0; length < end; ++length) {
    OptionDocument cut;
    EXPECT_FALSE(cut.Parse(xml.substr(0, length))) << xml.substr(0, length);
  }
}

TEST(OptionDocument, ARefusedParseChangesNothing) {
  OptionDocument document;
  ASSERT_TRUE(document.Set("general\\a", "1"));
  ASSERT_TRUE(document.AddRecord("R"));
  ASSERT_TRUE(document.Set("k", "in record"));
  const std::string before = document.Serialize();

  EXPECT_FALSE(document.Parse("<options><section name='x'><value key='k' text='v'/></section>"));
  EXPECT_EQ(document.Serialize(), before);
  EXPECT_EQ(TextAt(document, "k"), "in record") << "the selection is kept too";
}

TEST(OptionDocument, KeyPathsSplitAtTheFirstBackslash) {
  OptionDocument document;
  ASSERT_TRUE(document.Set("a\\b\\c", "deep"));
  ASSERT_TRUE(document.Set("plain", "no section"));
  ASSERT_EQ(document.Sections().size(), 2u);
  EXPECT_EQ(document.Sections()[0].name, "a");
  EXPECT_EQ(document.Sections()[0].settings[0].key, "b\\c");
  EXPECT_EQ(document.Sections()[1].name, "");
  EXPECT_EQ(TextAt(document, "\\plain"), "no section");

  for (const char* empty : {"", "a\\", "\\"}) {
    EXPECT_FALSE(document.Set(empty, "x")) << empty;
    EXPECT_EQ(document.Find(empty), nullptr) << empty;
    EXPECT_FALSE(document.Remove(empty)) << empty;
  }
  EXPECT_EQ(document.Sections().size(), 2u);
}

TEST(OptionDocument, TextsThatCouldNotBeWrittenAreRefused) {
  OptionDocument document;
  EXPECT_FALSE(document.Set("s\\k", std::string("a\0b", 3)));
  EXPECT_FALSE(document.Set("s\\k", "\xFF"));
  EXPECT_FALSE(document.Set("s\\\xC0\xAF", "v"));
  EXPECT_FALSE(document.AddRecord("\xED\xA0\x80"));
  EXPECT_TRUE(document.Sections().empty());
  EXPECT_TRUE(document.Records().empty());
}

TEST(OptionDocument, RemovingTheLastSettingRemovesItsSectionButNotItsRecord) {
  OptionDocument document;
  ASSERT_TRUE(document.Set("s\\k", "v"));
  ASSERT_TRUE(document.AddRecord("R"));
  ASSERT_TRUE(document.Set("k", "v"));

  EXPECT_TRUE(document.Remove("k"));
  EXPECT_FALSE(document.Remove("k"));
  EXPECT_TRUE(document.Remove("s\\k"));
  EXPECT_TRUE(document.Sections().empty());
  ASSERT_EQ(document.Records().size(), 1u);
  EXPECT_TRUE(document.Records()[0].settings.empty());
}

TEST(OptionDocument, RecordsAreWalkedByNameAndTheSelectionAddressesPlainNames) {
  OptionDocument document;
  ASSERT_TRUE(document.Set("plain", "section value"));
  const std::pair<const char*, const char*> records[] = {
      {"Group", "1"}, {"Other", "x"}, {"Group", "2"}, {"Group", "3"}};
  for (const auto& [name, id] : records) {
    ASSERT_TRUE(document.AddRecord(name));
    ASSERT_TRUE(document.Set("id", id));
  }

  std::string walked;
  for (bool more = document.FirstRecord("Group"); more; more = document.NextRecord()) {
    walked += TextAt(document, "id");
    EXPECT_EQ(TextAt(document, "\\plain"), "section value") << "a backslash path always names a section";
  }
  EXPECT_EQ(walked, "123");
  EXPECT_EQ(TextAt(document, "plain"), "section value") << "the walk's end leaves no record selected";
  EXPECT_FALSE(document.NextRecord());

  EXPECT_FALSE(document.FirstRecord("Missing"));
  EXPECT_EQ(TextAt(document, "id"), "<absent>");

  ASSERT_TRUE(document.FirstRecord("Other"));
  EXPECT_FALSE(document.NextRecord());

  ASSERT_TRUE(document.FirstRecord("Group"));
  document.ClearRecords();
  EXPECT_TRUE(document.Records().empty());
  EXPECT_EQ(TextAt(document, "plain"), "section value");

  ASSERT_TRUE(document.AddRecord("Group"));
  EXPECT_EQ(TextAt(document, "plain"), "<absent>") << "a new record is selected and empty";
  ASSERT_TRUE(document.Parse(document.Serialize()));
  EXPECT_EQ(TextAt(document, "plain"), "section value") << "a parse drops the selection";
}

}  // namespace
