#include "tasks/output_names.h"

#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <iterator>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tasks/output_name_index.h"
#include "tests/app/app_test_env.h"

namespace {

using namespace output_names;

struct ExtensionCase {
  const char* name;
  const char* formatExt;
  bool replace;
  const char* expected;
};

void PrintTo(const ExtensionCase& c, std::ostream* os) {
  *os << c.name << (c.replace ? " replaced by " : " typed under ") << c.formatExt;
}

class ProfileExtension : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(ProfileExtension, GivesTheNameItsProfilesExtension) {
  const ExtensionCase& c = GetParam();
  EXPECT_EQ(WithProfileExtension(c.name, c.formatExt, c.replace), QString(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileExtension,
    ::testing::Values(ExtensionCase{"clip.mp4", ".avi", true, "clip.avi"},
                      ExtensionCase{"my.clip.mp4", ".avi", true, "my.clip.avi"},
                      ExtensionCase{"noext", ".avi", true, "noext.avi"},
                      // A name that is only an extension keeps it: nothing would be left.
                      ExtensionCase{".mp4", ".avi", true, ".mp4.avi"},
                      ExtensionCase{"clip", ".mp4", false, "clip.mp4"},
                      ExtensionCase{"clip.mp4", ".mp4", false, "clip.mp4"},
                      ExtensionCase{"a.avi", ".mp4", false, "a.avi.mp4"},
                      ExtensionCase{"clip.MP4", ".mp4", false, "clip.MP4.mp4"},
                      ExtensionCase{".mp4", ".mp4", false, ".mp4.mp4"}),
    [](const ::testing::TestParamInfo<ExtensionCase>& info) { return "case" + std::to_string(info.index); });

TEST(OutputNames, SourceFilesKeepTheirStemAndTakeTheProfilesExtension) {
  EXPECT_EQ(ForSourceFile("clip.avi", ".mp4"), "clip.mp4");
  EXPECT_EQ(ForSourceFile("holiday.2024.mkv", ".mp4"), "holiday.2024.mp4");
  EXPECT_EQ(ForSourceFile("noext", ".mp4"), "noext.mp4");
  // A hidden file's leading dot begins its name: ".avi" alone would otherwise give the hidden,
  // nameless ".mp4".
  EXPECT_EQ(ForSourceFile(".avi", ".mp4"), ".avi.mp4");
}

TEST(OutputNames, NumbersGoBeforeTheLastDotAndAreFoundAgain) {
  EXPECT_EQ(Numbered("clip.mp4", 2), "clip-2.mp4");
  EXPECT_EQ(Numbered("a.b.mp4", 1), "a.b-1.mp4");
  EXPECT_EQ(Numbered("noext", 3), "noext-3");
  for (const QString& base : {QString("clip.mp4"), QString("a-1.mp4"), QString("noext"), QString(".mp4")}) {
    for (int number : {1, 9, 10, 123456789}) {
      const auto split = SplitNumbered(Numbered(base, number));
      ASSERT_TRUE(split.has_value()) << base.toStdString() << " " << number;
      EXPECT_EQ(split->base, base);
      EXPECT_EQ(split->number, number);
    }
  }
  // Names no number was ever put into.
  for (const char* name :
       {"clip.mp4", "clip-0.mp4", "clip-01.mp4", "clip-.mp4", "clip-1234567890.mp4", "-", "clip-x1.mp4"}) {
    EXPECT_FALSE(SplitNumbered(name).has_value()) << name;
  }
}

TEST(OutputNames, TypedNamesLoseBlanksAndControlsAtBothEnds) {
  EXPECT_EQ(TrimTyped(" \t clip \r\n"), "clip");
  EXPECT_EQ(TrimTyped(QString("a b") + QChar(0x1F)), "a b");
  EXPECT_EQ(TrimTyped(" \x01 "), "");
  EXPECT_EQ(TrimTyped(QString::fromUtf16(u"\u00A0clip")), QString::fromUtf16(u"\u00A0clip"))
      << "only codes up to 32 are cut";
  for (const char* name : {"a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b"}) {
    EXPECT_TRUE(HasForbiddenCharacter(name)) << name;
  }
  EXPECT_FALSE(HasForbiddenCharacter("a b.c-d_(e)'f"));
}

// What the list would answer by walking every item, as a reference for the index.
struct Holder {
  QString name;
  bool part = false;
};

QString WalkForUnique(const std::vector<Holder>& list, const Holder* self, const QString& name) {
  const qsizetype dot = name.lastIndexOf(u'.');
  const QString stem = dot < 0 ? name : name.left(dot);
  bool collision = false;
  std::vector<QString> remembered;
  for (const Holder& holder : list) {
    if (&holder == self || holder.part) {
      continue;
    }
    collision = collision || holder.name == name;
    if (holder.name.startsWith(stem)) {
      remembered.push_back(holder.name);
    }
  }
  if (!collision) {
    return name;
  }
  for (int n = 1;; ++n) {
    const QString candidate = Numbered(name, n);
    if (std::find(remembered.begin(), remembered.end(), candidate) == remembered.end()) {
      return candidate;
    }
  }
}

// Any mix of adding, renaming and removing, with names that collide, are numbered, differ only in
// case or have no extension: the index answers exactly what the walk answers.
TEST(OutputNameIndexTest, AnswersWhatAWalkOverTheListAnswers) {
  const QString vocabulary[] = {"clip.mp4",    "clip-1.mp4",   "clip-2.mp4",  "Clip.mp4",
                                "clip-10.mp4", "clip-1-1.mp4", "noext",       "noext-1",
                                ".mp4",        "a.b.mp4",      "clip-01.mp4", "clip"};
  std::mt19937 random(20240611);
  auto pick = [&](size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(random); };

  std::vector<Holder> list;
  list.reserve(4096);  // holders are compared by address
  OutputNameIndex index;
  auto check = [&](const Holder* self, const QString& name) {
    const QString* own = self != nullptr && !self->part ? &self->name : nullptr;
    const QString expected = WalkForUnique(list, self, name);
    const QString answered = index.Unique(name, own);
    EXPECT_EQ(answered, expected) << "asked " << name.toStdString() << " for "
                                  << (self ? self->name.toStdString() : "a new item");
    return expected;
  };

  for (int step = 0; step < 3000; ++step) {
    const QString& name = vocabulary[pick(std::size(vocabulary))];
    const int action = static_cast<int>(pick(10));
    if (action < 4 || list.empty()) {
      // A new item; one in five is a part, which takes no name from the others.
      Holder holder{check(nullptr, name), pick(5) == 0};
      list.push_back(holder);
      if (!holder.part) {
        index.Add(holder.name);
      }
    } else if (action < 7) {
      Holder& holder = list[pick(list.size())];
      const QString renamed = check(&holder, name);
      if (!holder.part) {
        index.Remove(holder.name);
        index.Add(renamed);
      }
      holder.name = renamed;
    } else {
      const size_t at = pick(list.size());
      if (!list[at].part) {
        index.Remove(list[at].name);
      }
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(at));
    }
    if (testing::Test::HasFailure()) {
      FAIL() << "at step " << step;
    }
  }
}

TEST(OutputNameIndexTest, NumbersFreedBelowTheSeriesAreTakenAgainSmallestFirst) {
  OutputNameIndex index;
  for (const char* name : {"clip.mp4", "clip-1.mp4", "clip-2.mp4", "clip-3.mp4"}) {
    index.Add(name);
  }
  EXPECT_EQ(index.Unique("clip.mp4", nullptr), "clip-4.mp4");
  index.Remove("clip-2.mp4");
  index.Remove("clip-1.mp4");
  EXPECT_EQ(index.Unique("clip.mp4", nullptr), "clip-1.mp4");
  index.Add("clip-1.mp4");
  EXPECT_EQ(index.Unique("clip.mp4", nullptr), "clip-2.mp4");
  // A name freed by its holder is free for it.
  const QString own = "clip-3.mp4";
  EXPECT_EQ(index.Unique("clip.mp4", &own), "clip-2.mp4");
  index.Add("clip-2.mp4");
  EXPECT_EQ(index.Unique("clip.mp4", &own), "clip-3.mp4");
  index.Remove("clip.mp4");
  EXPECT_EQ(index.Unique("clip.mp4", nullptr), "clip.mp4");
}

}  // namespace
