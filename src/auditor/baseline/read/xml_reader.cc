#include "auditor/baseline/read/xml_reader.h"

#include <utility>

#include "auditor/baseline/read/read_failure.h"
#include "auditor/text/ascii.h"
#include "auditor/text/utf8.h"
#include "auditor/text/visible_text.h"

namespace {

// A token (a tag, a run of text) longer than this is no workbook's: a
// cell holds at most 32,767 characters.
const std::size_t kTokenBound = std::size_t{1} << 20;
// A worksheet's deepest element (worksheet, sheetData, row, c, is, r, t)
// is the seventh; each element open is held until its end tag.
const std::size_t kDeepest = 64;
// A workbook's elements have a few attributes, its root a few namespace
// declarations more; each is compared with those before it.
const std::size_t kMostAttributes = 256;
// What a message quotes of a name from the document.
const std::size_t kNameShown = 80;

bool IsNameStart(char c) {
  return IsLetter(c) || c == '_' || c == ':' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool IsNameChar(char c) {
  return IsNameStart(c) || IsDigit(c) || c == '-' || c == '.';
}

// XML's Char production.
bool IsXmlCharacter(std::uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool ParseCharacterReference(std::string_view digits, std::uint32_t& value) {
  int base = 10;
  if (!digits.empty() && digits[0] == 'x') {
    base = 16;
    digits.remove_prefix(1);
  }
  if (digits.empty() || digits.size() > 8) return false;
  value = 0;
  for (char c : digits) {
    const int digit = base == 16 ? HexDigitValue(c) : IsDigit(c) ? c - '0' : -1;
    if (digit < 0) return false;
    value = value * base + digit;
  }
  return IsXmlCharacter(value);
}

char PredefinedEntity(std::string_view name) {
  if (name == "amp") return '&';
  if (name == "lt") return '<';
  if (name == "gt") return '>';
  if (name == "quot") return '"';
  if (name == "apos") return '\'';
  return '\0';
}

}  // namespace

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

XmlReader::XmlReader(XmlHandler& handler, std::string part)
    : handler_(handler), part_(std::move(part)) {}

void XmlReader::Feed(std::string_view bytes) {
  buffer_.erase(0, position_);
  consumed_ += position_;
  position_ = 0;
  if (consumed_ == 0 && buffer_.empty() &&
      bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);  // a byte-order mark
    consumed_ = 3;
  }
  buffer_.append(bytes.data(), bytes.size());
  while (ParseNext()) {
  }
  if (buffer_.size() - position_ > kTokenBound) {
    Fail("a tag or text longer than 1 MiB");
  }
}

void XmlReader::Finish() {
  atEnd_ = true;
  while (ParseNext()) {
  }
  if (!rootSeen_) Fail("no root element");
  if (!open_.empty()) {
    Fail("it ends inside element <" + VisibleExcerpt(open_.back(), kNameShown) +
         ">");
  }
}

bool XmlReader::NeedMore() const {
  if (atEnd_) Fail("it ends inside a tag");
  return false;
}

void XmlReader::Fail(const std::string& why) const {
  throw ReadFailure{part_ + " is not well-formed XML (byte " +
                    std::to_string(consumed_ + position_) + "): " + why};
}

bool XmlReader::ParseNext() {
  if (!started_) {
    static const std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    const std::string_view start = std::string_view(buffer_).substr(0, 3);
    if (start.size() < 3 && kByteOrderMark.substr(0, start.size()) == start &&
        !atEnd_) {
      return false;
    }
    started_ = true;
    if (start == kByteOrderMark) position_ = 3;
  }
  if (position_ == buffer_.size()) return false;
  return buffer_[position_] == '<' ? ParseMarkup() : ParseText();
}

bool XmlReader::ParseText() {
  std::size_t end = buffer_.find('<', position_);
  if (end == std::string::npos) {
    // A text is handed on whole, so that no reference is cut in two.
    if (!atEnd_) return false;
    end = buffer_.size();
  }
  HandText(std::string_view(buffer_).substr(position_, end - position_));
  position_ = end;
  return true;
}

void XmlReader::HandText(std::string_view raw) {
  if (open_.empty()) {
    for (char c : raw) {
      if (!IsSpace(c)) Fail("text outside the root element");
    }
    return;
  }
  Decode(raw, false, text_);
  handler_.Text(text_);
}

bool XmlReader::SkipPast(std::string_view end) {
  const std::size_t found = buffer_.find(end, position_ + 2);
  if (found == std::string::npos) return NeedMore();
  position_ = found + end.size();
  return true;
}

bool XmlReader::ParseMarkup() {
  const std::string_view rest = std::string_view(buffer_).substr(position_);
  static const std::string_view kComment = "<!--", kData = "<![CDATA[",
                                kDoctype = "<!DOCTYPE";
  if (rest.size() < 2) return NeedMore();
  if (rest[1] == '?') return SkipPast("?>");
  if (rest[1] == '/') return ParseEndTag();
  if (rest[1] != '!') return ParseStartTag();
  if (rest.substr(0, kComment.size()) == kComment) return SkipPast("-->");
  if (rest.substr(0, kData.size()) == kData) {
    const std::size_t end = buffer_.find("]]>", position_ + kData.size());
    if (end == std::string::npos) return NeedMore();
    if (open_.empty()) Fail("character data outside the root element");
    const std::string_view data = std::string_view(buffer_).substr(
        position_ + kData.size(), end - position_ - kData.size());
    if (!IsValidUtf8(data)) Fail("text that is not UTF-8");
    handler_.Text(data);
    position_ = end + 3;
    return true;
  }
  if (rest.substr(0, kDoctype.size()) == kDoctype) {
    throw ReadFailure{part_ +
                      " holds a document type declaration (<!DOCTYPE), which"
                      " is not read: no DTD or external entity is"};
  }
  // Too few bytes yet to tell which markup this is.
  if (rest.size() < kData.size() && !atEnd_) return false;
  Fail("markup <! that is no comment or character data");
}

std::size_t XmlReader::ParseName(std::size_t at, std::size_t end) const {
  if (at >= end || !IsNameStart(buffer_[at])) Fail("a tag without a name");
  const std::size_t start = at;
  while (at < end && IsNameChar(buffer_[at])) ++at;
  if (!IsValidUtf8(std::string_view(buffer_).substr(start, at - start))) {
    Fail("a name that is not UTF-8");
  }
  return at;
}

bool XmlReader::ParseEndTag() {
  const std::size_t end = buffer_.find('>', position_);
  if (end == std::string::npos) return NeedMore();
  const std::size_t nameEnd = ParseName(position_ + 2, end);
  for (std::size_t i = nameEnd; i < end; ++i) {
    if (!IsSpace(buffer_[i])) Fail("an end tag with more than its name");
  }
  const std::string_view name =
      std::string_view(buffer_).substr(position_ + 2, nameEnd - position_ - 2);
  if (open_.empty() || open_.back() != name) {
    Fail("end tag </" + VisibleExcerpt(name, kNameShown) + "> does not close " +
         (open_.empty()
              ? std::string("any element")
              : "<" + VisibleExcerpt(open_.back(), kNameShown) + ">"));
  }
  handler_.EndElement(name);
  open_.pop_back();
  position_ = end + 1;
  return true;
}

bool XmlReader::ParseStartTag() {
  // The tag's end: the first '>' outside an attribute's quotes.
  std::size_t end = position_ + 1;
  char quote = '\0';
  for (; end < buffer_.size(); ++end) {
    const char c = buffer_[end];
    if (quote != '\0') {
      if (c == quote) quote = '\0';
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      break;
    }
  }
  if (end == buffer_.size()) return NeedMore();
  const bool empty = buffer_[end - 1] == '/';
  const std::size_t contentEnd = empty ? end - 1 : end;
  std::size_t at = ParseName(position_ + 1, contentEnd);
  const std::string_view name =
      std::string_view(buffer_).substr(position_ + 1, at - position_ - 1);
  attributes_.clear();
  while (at < contentEnd) {
    const std::size_t blanks = at;
    while (at < contentEnd && IsSpace(buffer_[at])) ++at;
    if (at == contentEnd) break;
    if (at == blanks) Fail("attributes not separated by blanks");
    const std::size_t nameEnd = ParseName(at, contentEnd);
    XmlAttribute attribute;
    attribute.name = std::string_view(buffer_).substr(at, nameEnd - at);
    at = nameEnd;
    while (at < contentEnd && IsSpace(buffer_[at])) ++at;
    if (at == contentEnd || buffer_[at] != '=')
      Fail("an attribute without a value");
    ++at;
    while (at < contentEnd && IsSpace(buffer_[at])) ++at;
    if (at == contentEnd || (buffer_[at] != '"' && buffer_[at] != '\'')) {
      Fail("an attribute value without quotes");
    }
    const std::size_t close = buffer_.find(buffer_[at], at + 1);
    if (close >= contentEnd) Fail("an attribute value without quotes");
    Decode(std::string_view(buffer_).substr(at + 1, close - at - 1), true,
           attribute.value);
    for (const XmlAttribute& earlier : attributes_) {
      if (earlier.name == attribute.name) Fail("an attribute given twice");
    }
    if (attributes_.size() == kMostAttributes) {
      Fail("a tag of more than " + std::to_string(kMostAttributes) +
           " attributes");
    }
    attributes_.push_back(std::move(attribute));
    at = close + 1;
  }
  if (open_.empty() && rootSeen_) Fail("a second root element");
  if (!empty && open_.size() == kDeepest) {
    Fail("elements nested more than " + std::to_string(kDeepest) + " deep");
  }
  rootSeen_ = true;
  handler_.StartElement(name, attributes_);
  if (empty) {
    handler_.EndElement(name);
  } else {
    open_.emplace_back(name);
  }
  position_ = end + 1;
  return true;
}

void XmlReader::Decode(std::string_view raw, bool attribute,
                       std::string& out) const {
  out.clear();
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '&') {
      const std::size_t semicolon = raw.find(';', i + 1);
      if (semicolon == std::string_view::npos || semicolon - i > 12) {
        Fail("an & that starts no reference");
      }
      const std::string_view name = raw.substr(i + 1, semicolon - i - 1);
      std::uint32_t codePoint;
      if (!name.empty() && name[0] == '#') {
        if (!ParseCharacterReference(name.substr(1), codePoint)) {
          Fail("a character reference to no character");
        }
        AppendUtf8(codePoint, out);
      } else if (const char replaced = PredefinedEntity(name)) {
        out += replaced;
      } else {
        Fail("an entity &" + VisibleExcerpt(name, kNameShown) +
             "; that XML does not define (no DTD is read)");
      }
      i = semicolon;
    } else if (c == '<') {
      Fail("a < in an attribute value");
    } else if (c == '\r') {
      // XML's line ends: CR LF and a lone CR are LF.
      if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
      out += attribute ? ' ' : '\n';
    } else if (attribute && (c == '\n' || c == '\t')) {
      out += ' ';
    } else if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') {
      Fail("a control character");
    } else {
      out += c;
    }
  }
  if (!IsValidUtf8(out)) Fail("text that is not UTF-8");
}
