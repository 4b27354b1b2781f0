#include "base/web_links.h"

#include <array>

// Every address the product points its users to is built from this table, so a change of hosting
// touches nothing else. The mailbox is given as a plain address, not as a "mailto:" link: it is shown
// to the user as text, and whoever turns it into a link adds the scheme.

namespace {

constexpr char kSitePrefix[] = "https://www.";
constexpr char kDomainWord[] = "tolvermax";
constexpr char kMailboxName[] = "support@";
constexpr char kSupportPage[] = "/support.html";

// Indexed by the "product\language" setting.
constexpr std::array<const char*, 4> kRegionSuffixes = {
    ".com",  // international
    ".jp",   // Japan
    ".de",   // Germany
    ".fr",   // France
};
constexpr int kFrenchRegion = 3;

// France has a host and mailbox of its own rather than a regional suffix of the maker's domain; other
// domain words keep the ordinary pattern there too.
constexpr char kFrenchSite[] = "https://www.tolvermax-france.fr";
constexpr char kFrenchMailbox[] = "support@tolvermax-france.fr";

}  // namespace

QString MakerDomainWord() {
  return QString::fromLatin1(kDomainWord);
}

bool BuildWebLinks(int region, const QString& domainWord, CSTRWEBLINK* out) {
  if (out == nullptr) {
    return false;
  }
  // An unknown value comes from a hand-edited or newer settings file; the international site suits it.
  if (region < 0 || region >= static_cast<int>(kRegionSuffixes.size())) {
    region = 0;
  }
  const QString suffix = QString::fromLatin1(kRegionSuffixes[region]);
  const QString frenchSuffix = QString::fromLatin1(kRegionSuffixes[kFrenchRegion]);

  // Host names ignore case, so "Tolvermax" still names the maker's own domain.
  if (suffix == frenchSuffix && domainWord.compare(MakerDomainWord(), Qt::CaseInsensitive) == 0) {
    out->siteLink = QString::fromLatin1(kFrenchSite);
    out->mailLink = QString::fromLatin1(kFrenchMailbox);
  } else {
    out->siteLink = QString::fromLatin1(kSitePrefix) + domainWord + suffix;
    out->mailLink = QString::fromLatin1(kMailboxName) + domainWord + suffix;
  }
  out->supportLink = out->siteLink + QString::fromLatin1(kSupportPage);
  return true;
}
