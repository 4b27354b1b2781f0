#pragma once

#include <QString>
#include <optional>

// The rules of output file names. An extension is the part from the last "." on; profile extensions
// begin with their ".".
namespace output_names {

// `name` with "-" and `number` inserted just before its last "." ("clip.mp4", 2 -> "clip-2.mp4").
// A name without "." gets the number at its end.
QString Numbered(const QString& name, int number);

// The name Numbered would have made `name` from, with the number; nothing when `name` is not of that
// form (the number is decimal without leading zeros, 1 or more).
struct NumberedName {
  QString base;
  int number = 0;
};
std::optional<NumberedName> SplitNumbered(const QString& name);

// The output name for a new source file called `fileName`: its stem and the profile's extension. A
// leading "." starts a hidden file's name, not an extension, so ".clip" gives ".clip.mp4".
QString ForSourceFile(const QString& fileName, const QString& formatExt);

// The name after the profile's extension applies. replace (the profile changed): the old extension,
// when there is one after a first character, gives way to `formatExt`. Otherwise (a typed name):
// `formatExt` is appended unless the name already ends in exactly it.
QString WithProfileExtension(const QString& name, const QString& formatExt, bool replace);

// The characters a typed name may not contain, as the message shows them.
inline constexpr char16_t kForbiddenShown[] = u"\\ / : * ? \" < > |";

// A typed name as it is kept: characters of code 32 and below cut from both ends.
QString TrimTyped(const QString& text);
bool HasForbiddenCharacter(const QString& name);

}  // namespace output_names
