#include "cli/cli_options.h"

#include <cmath>

namespace {

CliParse Error(const QString& text) {
  return CliParse{std::nullopt, text};
}

}  // namespace

std::optional<double> ParseCliTime(const QString& text) {
  const QStringList parts = text.trimmed().split(QLatin1Char(':'));
  if (parts.isEmpty() || parts.size() > 3) {
    return std::nullopt;
  }
  double seconds = 0;
  for (const QString& part : parts) {
    bool ok = false;
    const double value = part.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0) {
      return std::nullopt;
    }
    seconds = seconds * 60 + value;
  }
  return seconds;
}

QString CliUsage() {
  return QStringLiteral(
      "Usage: kestrelvine-cli --list-profiles\n"
      "       kestrelvine-cli -p PROFILE -o FOLDER [--trim START,LENGTH] [--overwrite | --skip-existing]\n"
      "                       [--ignore-space] FILE|FOLDER...\n"
      "\n"
      "Converts each media file given, and every media file in the folders given (with their\n"
      "subfolders), with one output profile of the catalogue the program uses.\n"
      "\n"
      "  --list-profiles      print the profile groups and their profiles with their numbers\n"
      "  -p, --profile P      the profile, by number or by name\n"
      "  -o, --output DIR     the folder the outputs go to (made when missing)\n"
      "  --trim START,LENGTH  convert only this part of each file; seconds or h:m:s\n"
      "  --overwrite          replace an existing output of the same name\n"
      "  --skip-existing      leave out a file whose output exists already\n"
      "                       (without either, the output takes the next free numbered name)\n"
      "  --ignore-space       convert even when the folder seems to have too little free space\n"
      "                       (on a terminal the question is asked instead)\n"
      "  -h, --help           print this text\n"
      "\n"
      "Exit status: 0 every file converted; 1 a file was refused or failed; 2 a usage error;\n"
      "130 or 143 stopped by Ctrl-C or SIGTERM.\n");
}

CliParse ParseCliArguments(const QStringList& arguments) {
  CliOptions options;
  bool overwrite = false;
  bool skip = false;
  for (int i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    auto value = [&](QString& into) {
      if (i + 1 >= arguments.size()) {
        return false;
      }
      into = arguments[++i];
      return true;
    };
    if (argument == QLatin1String("--list-profiles")) {
      options.listProfiles = true;
    } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
      options.help = true;
    } else if (argument == QLatin1String("-p") || argument == QLatin1String("--profile")) {
      if (!value(options.profile) || options.profile.isEmpty()) {
        return Error(QStringLiteral("%1 needs a profile's number or name").arg(argument));
      }
    } else if (argument == QLatin1String("-o") || argument == QLatin1String("--output")) {
      if (!value(options.outputFolder) || options.outputFolder.isEmpty()) {
        return Error(QStringLiteral("%1 needs a folder").arg(argument));
      }
    } else if (argument == QLatin1String("--trim")) {
      QString range;
      if (!value(range)) {
        return Error(QStringLiteral("--trim needs START,LENGTH"));
      }
      const QStringList parts = range.split(QLatin1Char(','));
      const std::optional<double> start = parts.size() == 2 ? ParseCliTime(parts[0]) : std::nullopt;
      const std::optional<double> length = parts.size() == 2 ? ParseCliTime(parts[1]) : std::nullopt;
      if (!start || !length || *length <= 0) {
        return Error(
            QStringLiteral("--trim needs START,LENGTH, both times, the length above 0: \"%1\"").arg(range));
      }
      options.trimStart = start;
      options.trimLength = length;
    } else if (argument == QLatin1String("--overwrite")) {
      overwrite = true;
    } else if (argument == QLatin1String("--skip-existing")) {
      skip = true;
    } else if (argument == QLatin1String("--ignore-space")) {
      options.ignoreSpace = true;
    } else if (argument == QLatin1String("--")) {
      options.inputs.append(arguments.mid(i + 1));
      break;
    } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
      return Error(QStringLiteral("unknown option \"%1\"").arg(argument));
    } else {
      options.inputs.append(argument);
    }
  }
  if (overwrite && skip) {
    return Error(QStringLiteral("--overwrite and --skip-existing exclude each other"));
  }
  options.existing = overwrite ? CliOptions::Existing::Overwrite
                     : skip    ? CliOptions::Existing::Skip
                               : CliOptions::Existing::Numbered;
  if (options.help || options.listProfiles) {
    return CliParse{options, {}};
  }
  if (options.profile.isEmpty()) {
    return Error(QStringLiteral("no profile given (-p)"));
  }
  if (options.outputFolder.isEmpty()) {
    return Error(QStringLiteral("no output folder given (-o)"));
  }
  if (options.inputs.isEmpty()) {
    return Error(QStringLiteral("no file or folder to convert"));
  }
  return CliParse{options, {}};
}
