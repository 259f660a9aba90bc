// Searches in single-byte ANSI text that stay correct on a double-byte code
// page, where the second byte of a character may look like '\\' or like
// the first letter of a pattern.
#ifndef HOTFIXES_COMMON_ANSI_TEXT_H_
#define HOTFIXES_COMMON_ANSI_TEXT_H_

#include <cstddef>
#include <string>

// Removes the first occurrence of `pattern` (exact, case-sensitive) that
// begins on a character boundary; text without one is left unchanged.
void RemoveFirstOccurrence(std::string& text, const std::string& pattern);

// Where the part of `path` behind its last delimiter (any byte of
// `delimiters` that is a character of its own) starts; 0 if there is none.
std::size_t OffsetBehindLastDelimiter(const char* path, std::size_t size,
                                      const char* delimiters);

// The part of `path` behind its last delimiter; the whole path if none.
std::string TextBehindLastDelimiter(const std::string& path,
                                    const char* delimiters);

// The bytes of a fixed-size field up to its first NUL; all of them when it
// has none.
std::string TextUpToNul(const char* bytes, std::size_t size);

#endif  // HOTFIXES_COMMON_ANSI_TEXT_H_
