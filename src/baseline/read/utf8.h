// UTF-8, as every text of the bulletin data must be.
#ifndef HOTFIXES_BASELINE_READ_UTF8_H_
#define HOTFIXES_BASELINE_READ_UTF8_H_

#include <cstdint>
#include <string>
#include <string_view>

// False on overlong forms, surrogates, code points past U+10FFFF and cut
// sequences.
bool IsValidUtf8(std::string_view text);

void AppendUtf8(std::uint32_t codePoint, std::string& out);

#endif  // HOTFIXES_BASELINE_READ_UTF8_H_
