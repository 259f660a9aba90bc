// SHA-256 (FIPS 180-4), so that a baseline names the exact bytes of the
// bulletin data it was made from.
#ifndef HOTFIXES_AUDITOR_BASELINE_READ_SHA256_H_
#define HOTFIXES_AUDITOR_BASELINE_READ_SHA256_H_

#include <string>
#include <string_view>

// 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);

#endif  // HOTFIXES_AUDITOR_BASELINE_READ_SHA256_H_
