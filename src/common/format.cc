#include "common/format.h"

#include <cstring>

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& out, std::uint64_t value, int minimumDigits) {
  char digits[16];
  int count = 0;
  do {
    digits[count++] = kHexDigits[value & 0xF];
    value >>= 4;
  } while (value != 0);
  for (int pad = count; pad < minimumDigits; ++pad) out += '0';
  while (count > 0) out += digits[--count];
}

void AppendDecimal(std::string& out, std::int64_t value) {
  char digits[24];
  int count = 0;
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                      : static_cast<std::uint64_t>(value);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) out += '-';
  while (count > 0) out += digits[--count];
}

}  // namespace

FormatArg::FormatArg(const char* text)
    : text_(text), size_(std::strlen(text)) {}

std::string Format(const std::string& format,
                   std::initializer_list<FormatArg> args) {
  std::string out;
  out.reserve(format.size() + 32);
  const FormatArg* next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out += format[i];
      continue;
    }
    std::size_t j = i + 1;
    std::size_t precision = std::string::npos;
    while (j < format.size() && format[j] >= '0' && format[j] <= '9') ++j;
    if (j < format.size() && format[j] == '.') {
      precision = 0;
      for (++j; j < format.size() && format[j] >= '0' && format[j] <= '9'; ++j)
        precision = precision * 10 + static_cast<std::size_t>(format[j] - '0');
    }
    if (j == format.size()) break;
    const char kind = format[j];
    i = j;
    if (kind == '%') {
      out += '%';
      continue;
    }
    if (next == args.end()) continue;
    const FormatArg& arg = *next++;
    switch (kind) {
      case 's': {
        const std::size_t size =
            arg.size() < precision ? arg.size() : precision;
        if (arg.text() != nullptr) out.append(arg.text(), size);
        break;
      }
      case 'd':
        AppendDecimal(out, static_cast<std::int32_t>(arg.number()));
        break;
      case 'x':
        AppendHex(out, static_cast<std::uint32_t>(arg.number()), 1);
        break;
      case 'p':
        AppendHex(out, static_cast<std::uint64_t>(arg.number()), 8);
        break;
      default: break;
    }
  }
  return out;
}
