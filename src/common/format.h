// The printf-like formatter report texts are built with. It knows:
//   %s   a text, inserted unchanged; a precision ("%0.4s", "%.4s") cuts it
//        to at most that many characters
//   %d   a signed decimal
//   %x   an unsigned number in upper-case hexadecimal
//   %p   an address as at least 8 upper-case hexadecimal digits
//   %%   a percent sign
// Everything else is copied as it stands. Arguments are taken in order; a
// placeholder without an argument is left out.
#ifndef HOTFIXES_COMMON_FORMAT_H_
#define HOTFIXES_COMMON_FORMAT_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>

class FormatArg {
 public:
  FormatArg(const std::string& text) : text_(text.data()), size_(text.size()) {}
  FormatArg(const char* text);
  template <typename Integer, typename = typename std::enable_if<
                                  std::is_integral<Integer>::value>::type>
  FormatArg(Integer number) : number_(static_cast<std::int64_t>(number)) {}
  FormatArg(const void* address)
      : number_(static_cast<std::int64_t>(
            reinterpret_cast<std::uintptr_t>(address))) {}

  const char* text() const { return text_; }
  std::size_t size() const { return size_; }
  std::int64_t number() const { return number_; }

 private:
  const char* text_ = nullptr;
  std::size_t size_ = 0;
  std::int64_t number_ = 0;
};

std::string Format(const std::string& format,
                   std::initializer_list<FormatArg> args);

#endif  // HOTFIXES_COMMON_FORMAT_H_
