// Reads one named string from the version resource of an executable file.
#ifndef HOTFIXES_VERSIONINFO_VERSION_INFO_H_
#define HOTFIXES_VERSIONINFO_VERSION_INFO_H_

#include <string>

// Assigns the string `valueName` of the file's first translation to `text`;
// leaves `text` untouched when the file has no such string.
void ReadVersionInfoString(const std::string& valueName,
                           const std::string& filePath, std::string& text);

#endif  // HOTFIXES_VERSIONINFO_VERSION_INFO_H_
