#include "auditor/table/read/json_value.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "auditor/text/ascii.h"
#include "auditor/text/utf8.h"

namespace {

// Far deeper than any line of the table (three levels): a deeper text is
// something else, and recursion on it must not exhaust the stack.
const int kDeepest = 32;
// The table's objects have about twenty members; a later version may add
// some, not hundreds.
const std::size_t kMostMembers = 1000;
// Up to so many names an object's are compared one by one, then through
// a hash set.
const std::size_t kFewMembers = 16;

// The ASCII bytes that stand for themselves in a string.
struct PlainAscii {
  bool plain[256] = {};
  constexpr PlainAscii() {
    for (int c = 0x20; c < 0x80; ++c) plain[c] = c != '"' && c != '\\';
  }
  constexpr bool operator[](unsigned char c) const { return plain[c]; }
};
constexpr PlainAscii kPlainAscii;

// Whether any of eight bytes is not plain ASCII: a quote, a backslash, a
// control character or a byte of a longer UTF-8 sequence. Each test is
// exact about whether there is one, not about which.
bool AnyNotPlain(std::uint64_t bytes) {
  const std::uint64_t ones = 0x0101010101010101u;
  const std::uint64_t highs = 0x8080808080808080u;
  const auto anyZero = [&](std::uint64_t v) { return (v - ones) & ~v & highs; };
  return (((bytes - ones * 0x20) & ~bytes & highs) |
          anyZero(bytes ^ (ones * '"')) | anyZero(bytes ^ (ones * '\\')) |
          (bytes & highs)) != 0;
}

// The member names of the object being read at one depth, to find a name
// given twice in time that grows linearly with them.
class MemberNames {
 public:
  void Clear() {
    names_.clear();
    decoded_.clear();
    if (!index_.empty()) std::unordered_set<std::string_view>().swap(index_);
  }
  // False when the object has the name already.
  bool Add(std::string_view name) {
    if (!index_.empty()) return index_.insert(name).second;
    for (std::string_view earlier : names_) {
      if (earlier == name) return false;
    }
    names_.push_back(name);
    if (names_.size() > kFewMembers)
      index_.insert(names_.begin(), names_.end());
    return true;
  }
  std::size_t size() const {
    return index_.empty() ? names_.size() : index_.size();
  }
  // Where the names that held escapes live while their object is read.
  std::deque<std::string>& decoded() { return decoded_; }

 private:
  std::vector<std::string_view> names_;
  std::unordered_set<std::string_view> index_;
  std::deque<std::string> decoded_;
};

class Parser {
 public:
  Parser(std::string_view text, std::deque<std::string>& decoded)
      : text_(text), decoded_(decoded) {}

  bool ParseWhole(JsonValue& value, const JsonShape& shape) {
    SkipBlanks();
    if (!ParseValue(&value, &shape, 0)) return false;
    SkipBlanks();
    return at_ == text_.size() || Fail("text after the JSON value");
  }

  const std::string& error() const { return error_; }

 private:
  bool Fail(const char* what) {
    error_ = std::string(what) + " at byte " + std::to_string(at_ + 1);
    return false;
  }

  void SkipBlanks() {
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
  }

  bool Take(char c) {
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  bool TakeWord(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return Fail("not a JSON value");
    at_ += word.size();
    return true;
  }

  MemberNames& NamesAt(int depth) {
    while (names_.size() <= static_cast<std::size_t>(depth)) {
      names_.push_back(std::make_unique<MemberNames>());
    }
    return *names_[static_cast<std::size_t>(depth)];
  }

  // Into `value`, as `shape` says; with a null value only read.
  bool ParseValue(JsonValue* value, const JsonShape* shape, int depth) {
    if (at_ == text_.size()) return Fail("a value missing");
    JsonValue::Kind kind = JsonValue::Kind::kNull;
    bool read = false;
    std::string_view text;
    switch (text_[at_]) {
      case '{': return ParseObject(value, shape, depth + 1);
      case '[': return ParseArray(value, shape, depth + 1);
      case '"':
        kind = JsonValue::Kind::kString;
        read = value != nullptr ? ParseString(&text, decoded_)
                                : ParseString(nullptr, decoded_);
        break;
      case 'n': read = TakeWord("null"); break;
      case 't':
        kind = JsonValue::Kind::kTrue;
        read = TakeWord("true");
        break;
      case 'f':
        kind = JsonValue::Kind::kFalse;
        read = TakeWord("false");
        break;
      default: kind = JsonValue::Kind::kNumber; read = ParseNumber(text);
    }
    if (read && value != nullptr) {
      value->kind = kind;
      value->text = text;
    }
    return read;
  }

  bool ParseObject(JsonValue* value, const JsonShape* shape, int depth) {
    if (depth > kDeepest) return Fail("nested too deep");
    if (value != nullptr) value->kind = JsonValue::Kind::kObject;
    MemberNames& names = NamesAt(depth);
    names.Clear();
    ++at_;
    SkipBlanks();
    if (Take('}')) return true;
    for (;;) {
      SkipBlanks();
      if (at_ == text_.size() || text_[at_] != '"') {
        return Fail("a member name missing");
      }
      const std::size_t nameAt = at_;
      std::string_view name;
      if (!ParseString(&name, names.decoded())) return false;
      if (!names.Add(name)) {
        at_ = nameAt;
        return Fail("a member named twice");
      }
      if (names.size() > kMostMembers) {
        at_ = nameAt;
        return Fail("an object of more than 1000 members");
      }
      SkipBlanks();
      if (!Take(':')) return Fail("':' missing");
      SkipBlanks();
      const JsonShape* memberShape = nullptr;
      JsonValue* member = nullptr;
      if (value != nullptr && shape != nullptr &&
          shape->Keeps(name, memberShape)) {
        value->members.emplace_back(KeptName(name, names), JsonValue());
        member = &value->members.back().second;
      }
      if (!ParseValue(member, memberShape, depth)) return false;
      SkipBlanks();
      if (Take('}')) return true;
      if (!Take(',')) return Fail("',' or '}' missing");
    }
  }

  // A name kept: in the document, if it was decoded into `names`.
  std::string_view KeptName(std::string_view name, MemberNames& names) {
    if (names.decoded().empty() ||
        name.data() != names.decoded().back().data()) {
      return name;
    }
    decoded_.emplace_back(name);
    return decoded_.back();
  }

  bool ParseArray(JsonValue* value, const JsonShape* shape, int depth) {
    if (depth > kDeepest) return Fail("nested too deep");
    if (value != nullptr) value->kind = JsonValue::Kind::kArray;
    const std::size_t kept =
        value != nullptr && shape != nullptr ? shape->mostItems : 0;
    ++at_;
    SkipBlanks();
    if (Take(']')) return true;
    for (;;) {
      SkipBlanks();
      JsonValue* item = nullptr;
      if (value != nullptr && value->items.size() < kept) {
        value->items.emplace_back();
        item = &value->items.back();
      }
      if (!ParseValue(item, item != nullptr ? shape->items : nullptr, depth)) {
        return false;
      }
      SkipBlanks();
      if (Take(']')) return true;
      if (!Take(',')) return Fail("',' or ']' missing");
    }
  }

  // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
  bool ParseNumber(std::string_view& text) {
    const std::size_t start = at_;
    Take('-');
    if (Take('0')) {
      // no more digits: a leading zero is not JSON
    } else if (!TakeDigits()) {
      return Fail("not a JSON value");
    }
    if (Take('.') && !TakeDigits()) return Fail("a digit missing");
    if (Take('e') || Take('E')) {
      if (!Take('+')) Take('-');
      if (!TakeDigits()) return Fail("a digit missing");
    }
    text = text_.substr(start, at_ - start);
    return true;
  }

  bool TakeDigits() {
    const std::size_t start = at_;
    while (at_ < text_.size() && IsDigit(text_[at_])) ++at_;
    return at_ > start;
  }

  bool ReadHex4(std::uint32_t& unit) {
    if (at_ + 4 > text_.size()) return Fail("a \\u escape cut short");
    unit = 0;
    for (int i = 0; i < 4; ++i) {
      const int digit = HexDigitValue(text_[at_ + i]);
      if (digit < 0) return Fail("a \\u escape that is not hexadecimal");
      unit = unit * 16 + static_cast<std::uint32_t>(digit);
    }
    at_ += 4;
    return true;
  }

  // After "\u": one code point, a surrogate pair taken whole; appended to
  // `out` unless it is null.
  bool ParseUnicodeEscape(std::string* out) {
    std::uint32_t unit = 0;
    if (!ReadHex4(unit)) return false;
    if (unit >= 0xDC00 && unit <= 0xDFFF) return Fail("a lone surrogate");
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      std::uint32_t low = 0;
      if (!Take('\\') || !Take('u')) return Fail("a lone surrogate");
      if (!ReadHex4(low)) return false;
      if (low < 0xDC00 || low > 0xDFFF) return Fail("a lone surrogate");
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    if (out != nullptr) AppendUtf8(unit, *out);
    return true;
  }

  bool ParseEscape(std::string* out) {
    if (at_ == text_.size()) return Fail("a string cut short");
    const char c = text_[at_++];
    char decoded;
    switch (c) {
      case '"': decoded = '"'; break;
      case '\\': decoded = '\\'; break;
      case '/': decoded = '/'; break;
      case 'b': decoded = '\b'; break;
      case 'f': decoded = '\f'; break;
      case 'n': decoded = '\n'; break;
      case 'r': decoded = '\r'; break;
      case 't': decoded = '\t'; break;
      case 'u': return ParseUnicodeEscape(out);
      default: --at_; return Fail("an unknown escape");
    }
    if (out != nullptr) *out += decoded;
    return true;
  }

  // Past the bytes that stand for themselves in a string: printable
  // ASCII but quote and backslash, and whole UTF-8 sequences.
  bool SkipPlain() {
    const std::size_t size = text_.size();
    const char* const bytes = text_.data();
    while (at_ < size) {
      // Comments make most of a line: their ASCII runs are skipped fast.
      std::size_t at = at_;
      std::uint64_t eight = 0;
      while (at + 8 <= size &&
             (std::memcpy(&eight, bytes + at, 8), !AnyNotPlain(eight))) {
        at += 8;
      }
      while (at < size && kPlainAscii[static_cast<unsigned char>(bytes[at])]) {
        ++at;
      }
      at_ = at;
      if (at_ == size) break;
      const auto byte = static_cast<unsigned char>(text_[at_]);
      if (byte < 0x80) return true;
      const std::size_t length = Utf8SequenceLength(text_, at_);
      if (length == 0) return Fail("a byte that is not UTF-8");
      at_ += length;
    }
    return true;
  }

  // The string as it is in the text when it holds no escape, else decoded
  // into `store`; with a null `out` only read, nothing decoded.
  bool ParseString(std::string_view* out, std::deque<std::string>& store) {
    const std::size_t start = ++at_;  // past the opening quote
    std::string* decoded = nullptr;
    for (;;) {
      const std::size_t plain = at_;
      if (!SkipPlain()) return false;
      if (decoded != nullptr) decoded->append(text_, plain, at_ - plain);
      if (at_ == text_.size()) return Fail("a string cut short");
      const char c = text_[at_];
      if (c == '"') {
        if (out != nullptr) {
          *out = decoded != nullptr ? std::string_view(*decoded)
                                    : text_.substr(start, at_ - start);
        }
        ++at_;
        return true;
      }
      if (c != '\\') return Fail("a control character in a string");
      if (decoded == nullptr && out != nullptr) {
        store.emplace_back(text_.substr(start, at_ - start));
        decoded = &store.back();
      }
      ++at_;
      if (!ParseEscape(decoded)) return false;
    }
  }

  std::string_view text_;
  std::deque<std::string>& decoded_;
  std::size_t at_ = 0;
  std::string error_;
  std::vector<std::unique_ptr<MemberNames>> names_;  // by depth
};

}  // namespace

bool JsonShape::Keeps(std::string_view name, const JsonShape*& shape) const {
  for (const Member& member : members) {
    if (member.name == name) {
      shape = member.shape;
      return true;
    }
  }
  return false;
}

const JsonValue* JsonValue::Member(std::string_view name) const {
  for (const auto& member : members) {
    if (member.first == name) return &member.second;
  }
  return nullptr;
}

bool ParseJson(std::string_view text, const JsonShape& shape,
               JsonDocument& document, std::string& error) {
  document.root = JsonValue();
  document.decoded.clear();
  Parser parser(text, document.decoded);
  if (parser.ParseWhole(document.root, shape)) return true;
  error = parser.error();
  return false;
}
