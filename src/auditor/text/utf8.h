// UTF-8, the text every program of the auditor's works in: its sequences
// told apart from bytes that are none, and code points written as it.
#ifndef HOTFIXES_AUDITOR_TEXT_UTF8_H_
#define HOTFIXES_AUDITOR_TEXT_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/utf8_encoding.h"

// The length of the well-formed sequence at text[at]: 1 for ASCII, 0 for a
// byte that starts none (overlong forms, surrogates, code points past
// U+10FFFF, sequences cut short).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// Whether the whole text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// Code points are written by the platform layer's encoder, the one the
// report program's stand-in platforms use too.
using platform::AppendUtf8;

#endif  // HOTFIXES_AUDITOR_TEXT_UTF8_H_
