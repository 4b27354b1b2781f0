#pragma once

#include <QString>

// The regional web addresses of the product: site, support page, support mailbox.
struct CSTRWEBLINK {
  QString siteLink;
  QString supportLink;
  QString mailLink;
};

// The maker's domain word, which the run entry passes to BuildWebLinks.
QString MakerDomainWord();

// Region 0 international, 1 Japan, 2 Germany, 3 France; other values count as 0. False, with nothing
// done, when `out` is null.
bool BuildWebLinks(int region, const QString& domainWord, CSTRWEBLINK* out);
