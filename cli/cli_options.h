#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the command line asks of a batch. Qt Core only.
struct CliOptions {
  enum class Existing { Numbered, Overwrite, Skip };
  bool listProfiles = false;
  bool help = false;
  QString profile;       // a profile's number or its name
  QString outputFolder;  // where the outputs go
  std::optional<double> trimStart;
  std::optional<double> trimLength;
  Existing existing = Existing::Numbered;
  bool ignoreSpace = false;  // convert even when the folder's free space looks too small
  QStringList inputs;        // files and folders, in the order given
};

// The options of `arguments` (the program's name left out), or an error text for a usage error.
struct CliParse {
  std::optional<CliOptions> options;
  QString error;
};
CliParse ParseCliArguments(const QStringList& arguments);

// The usage text printed with --help and after a usage error.
QString CliUsage();

// A time given on the command line: seconds ("12.5") or "h:m:s" ("0:01:30"); nothing for anything
// else or a negative time.
std::optional<double> ParseCliTime(const QString& text);
