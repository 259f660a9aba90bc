// Text from the machines' files, turned into UTF-8: reports written in the
// writing machine's ANSI code page, or re-encoded on the way by a tool that
// marked its encoding with a byte-order mark.
#ifndef HOTFIXES_AUDITOR_TEXT_TEXT_DECODING_H_
#define HOTFIXES_AUDITOR_TEXT_TEXT_DECODING_H_

#include <cstddef>
#include <string>

#include "platform/platform.h"

// Decodes a whole file into `text` (replacing what it held): UTF-16LE or
// UTF-8 when it starts with that byte-order mark (which is left out), else
// `codePage`. Malformed sequences become U+FFFD. False, with `problem`
// saying why, when the system refuses the conversion.
bool DecodeFileText(const std::string& bytes, UINT codePage, std::string& text,
                    std::string& problem);

// What is wrong with a file the auditor wrote, and on which line (from 1).
struct TextFault {
  std::size_t line = 0;
  std::string what;
};

// Decodes a file the auditor writes (a baseline, a list of hotfixes):
// UTF-16 by its byte-order mark, else UTF-8 with or without one; a Ctrl-Z
// at its end ends the text, as `copy /a` appends one. Unlike a report,
// whose bytes depend on the machine that wrote it, such a file is written
// once, by a person, for every run: anything that is not valid text, or a
// NUL, is a fault to correct rather than a character to guess.
bool DecodeAuditorText(const std::string& bytes, std::string& text,
                       TextFault& fault);

// Appends `size` bytes of `codePage` (CP_ACP: the system's ANSI code page)
// as UTF-8; false when the system refuses the conversion.
bool AppendAnsiAsUtf8(const char* bytes, std::size_t size, UINT codePage,
                      std::string& out);

// A text the system gave or took in the ANSI code page (a path, an
// account's name), in UTF-8; as it is when the system refuses it.
std::string AnsiAsUtf8(const std::string& text);

// Appends UTF-16 code units as UTF-8; an unpaired surrogate becomes U+FFFD.
void AppendUtf16AsUtf8(const WCHAR* units, std::size_t count, std::string& out);

#endif  // HOTFIXES_AUDITOR_TEXT_TEXT_DECODING_H_
