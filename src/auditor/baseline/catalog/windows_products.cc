#include "auditor/baseline/catalog/windows_products.h"

#include <vector>

#include "auditor/text/ascii.h"

namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Windows from Vista on, by how their names start.
const char* const kLaterWindows[] = {
    "windows vista",
    "windows 7",
    "windows 8",
    "windows 8.1",
    "windows rt",
    "windows 10",
    "windows 11",
    "windows server 2008",
    "windows server 2012",
    "windows server 2016",
    "windows server 2019",
    "windows server 2022",
    "windows server, version",
};

// The names of the Windows the catalog writes rules for, longest first
// where one starts another.
struct WindowsName {
  const char* text;
  Windows windows;
};
const WindowsName kWindowsNames[] = {
    {"windows nt workstation 4.0", Windows::kNt40},
    {"windows nt server 4.0", Windows::kNt40},
    {"windows nt 4.0", Windows::kNt40},
    {"windows 2000", Windows::k2000},
    {"windows xp professional x64 edition", Windows::kXpX64},
    {"windows xp", Windows::kXp},
    {"windows server 2003", Windows::kServer2003},
};

// Words that name an edition, which the table does not tell apart, or
// join the parts of a name.
const char* const kEditionWords[] = {
    "professional", "home",       "edition",    "editions", "server",
    "advanced",     "datacenter", "enterprise", "standard", "web",
    "workstation",  "terminal",   "x64",        "r2",       "32-bit",
    "x86",          "and",        "for",        "systems",  "4.0",
};

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

bool IsEditionWord(std::string_view word) {
  for (const char* known : kEditionWords) {
    if (word == known) return true;
  }
  return false;
}

// "service pack 3", "service pack 6a", "sp2": the level, taken off the
// words; -1 for none, -2 for a second one or a number that is no level.
int TakeLevel(std::vector<std::string_view>& words) {
  int level = -1;
  std::vector<std::string_view> rest;
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string_view number;
    if (words[i] == "service" && i + 2 < words.size() &&
        words[i + 1] == "pack") {
      number = words[i + 2];
      i += 2;
    } else if (words[i].size() > 2 && words[i].substr(0, 2) == "sp" &&
               IsDigit(words[i][2])) {
      number = words[i].substr(2);
    } else {
      rest.push_back(words[i]);
      continue;
    }
    // XP's SP1a is level 1, NT 4.0's SP6a level 6.
    if (!number.empty() && number.back() == 'a') number.remove_suffix(1);
    if (level != -1 || number.size() != 1 || !IsDigit(number[0])) return -2;
    level = number[0] - '0';
  }
  words.swap(rest);
  return level;
}

Product Kind(ProductKind kind) {
  Product product;
  product.kind = kind;
  return product;
}

// The Windows named at the start of `key` and the levels its words give.
Product WindowsProductOf(std::string_view key) {
  for (const WindowsName& name : kWindowsNames) {
    std::string_view rest = key;
    if (!ReadPrefix(rest, name.text) || (!rest.empty() && rest[0] != ' ')) {
      continue;
    }
    std::vector<std::string_view> words = Words(rest);
    const int level = TakeLevel(words);
    bool x64OrR2 = false;
    for (std::string_view word : words) {
      if (!IsEditionWord(word)) return Kind(ProductKind::kOtherProduct);
      x64OrR2 = x64OrR2 || word == "x64" || word == "r2";
    }
    if (level == -2) return Kind(ProductKind::kOtherProduct);
    Product product = Kind(ProductKind::kWindows);
    product.windows = name.windows;
    product.lowest = product.highest = level < 0 ? 0 : level;
    product.servicePackNamed = level >= 0;
    // Built on Server 2003 SP1, they report Service Pack 1.
    if (level < 0 && name.windows == Windows::kXpX64) product.highest = 1;
    if (level < 0 && name.windows == Windows::kServer2003 && x64OrR2) {
      product.lowest = product.highest = 1;
    }
    return product;
  }
  return Kind(ProductKind::kOtherProduct);
}

// Drops the words an edition's name adds, so that "windows xp media
// center edition 2005 service pack 3" reads as XP SP3.
std::string WithoutWords(std::string_view key, std::string_view words) {
  std::string rest(key);
  const std::size_t at = rest.find(words);
  if (at != std::string::npos) rest.erase(at, words.size() + 1);
  while (!rest.empty() && rest.back() == ' ') rest.pop_back();
  return rest;
}

}  // namespace

std::string ProductKey(std::string_view affectedProduct) {
  std::string key;
  for (char c : affectedProduct) {
    if (IsSpace(c)) {
      if (!key.empty() && key.back() != ' ') key += ' ';
    } else {
      key += AsciiLower(c);
    }
  }
  while (!key.empty() && key.back() == ' ') key.pop_back();
  return key;
}

Product ProductOf(std::string_view affectedProduct) {
  // Commas and brackets part words: "Windows Server 2003, Standard x64
  // Edition", "(32-bit x86)".
  std::string words(affectedProduct);
  for (char& c : words) {
    if (c == ',' || c == '(' || c == ')') c = ' ';
  }
  const std::string key = ProductKey(words);
  std::string_view name = key;
  ReadPrefix(name, "microsoft ");
  if (Contains(name, "itanium") || Contains(name, "ia64") ||
      Contains(name, "ia-64") ||
      (Contains(name, "64-bit edition") && !Contains(name, "x64"))) {
    return Kind(ProductKind::kItanium);
  }
  for (const char* later : kLaterWindows) {
    std::string_view rest = name;
    if (ReadPrefix(rest, later) && (rest.empty() || rest[0] == ' ')) {
      return Kind(ProductKind::kLaterWindows);
    }
  }
  if (Contains(name, "server core")) return Kind(ProductKind::kEditionNotTold);
  for (const char* edition :
       {"media center edition 2005", "media center edition",
        "tablet pc edition 2005", "tablet pc edition"}) {
    if (!Contains(name, edition)) continue;
    Product product = WindowsProductOf(WithoutWords(name, edition));
    product.kind = ProductKind::kEditionNotTold;
    return product;
  }
  return WindowsProductOf(name);
}
