#include "base/web_links.h"

#include <gtest/gtest.h>

#include "tests/app/app_test_env.h"

namespace {

TEST(WebLinks, EachRegionGetsItsSiteSupportPageAndMailbox) {
  const struct {
    int region;
    QString domainWord;
    QString site;
    QString mail;
  } cases[] = {
      {0, "tolvermax", "https://www.tolvermax.com", "support@tolvermax.com"},
      {1, "tolvermax", "https://www.tolvermax.jp", "support@tolvermax.jp"},
      {2, "tolvermax", "https://www.tolvermax.de", "support@tolvermax.de"},
      {3, "tolvermax", "https://www.tolvermax-france.fr", "support@tolvermax-france.fr"},
      {3, "Tolvermax", "https://www.tolvermax-france.fr", "support@tolvermax-france.fr"},
      // The dedicated French host belongs to the maker alone.
      {3, "fernhollow", "https://www.fernhollow.fr", "support@fernhollow.fr"},
      {2, "fernhollow", "https://www.fernhollow.de", "support@fernhollow.de"},
      // Unknown regions fall back to the international site.
      {4, "tolvermax", "https://www.tolvermax.com", "support@tolvermax.com"},
      {-1, "tolvermax", "https://www.tolvermax.com", "support@tolvermax.com"},
      {1000, "fernhollow", "https://www.fernhollow.com", "support@fernhollow.com"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "region " << c.region << ", " << c.domainWord.toStdString());
    CSTRWEBLINK links{"stale", "stale", "stale"};
    ASSERT_TRUE(BuildWebLinks(c.region, c.domainWord, &links));
    EXPECT_EQ(links.siteLink, c.site);
    EXPECT_EQ(links.supportLink, c.site + "/support.html");
    EXPECT_EQ(links.mailLink, c.mail);
  }
}

TEST(WebLinks, TheMakersDomainWordSelectsTheMakersSites) {
  CSTRWEBLINK links;
  ASSERT_TRUE(BuildWebLinks(3, MakerDomainWord(), &links));
  EXPECT_EQ(links.siteLink, "https://www.tolvermax-france.fr");
}

TEST(WebLinks, NoOutRecordIsRefused) {
  EXPECT_FALSE(BuildWebLinks(0, MakerDomainWord(), nullptr));
}

}  // namespace
