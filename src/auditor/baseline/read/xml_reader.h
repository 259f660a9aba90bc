// The few elements of a workbook's parts, read as they arrive. The
// project's own small XML reader: no packaged XML library builds for Linux
// and both Windows targets alike, and a workbook needs only elements,
// attributes, text, the five predefined entities and character
// references. It checks that the XML is well formed, and it refuses any
// document type declaration, so that no DTD and no external entity is
// ever read. Namespaces are not resolved: a handler compares local names.
#ifndef HOTFIXES_AUDITOR_BASELINE_READ_XML_READER_H_
#define HOTFIXES_AUDITOR_BASELINE_READ_XML_READER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct XmlAttribute {
  std::string_view name;  // as written, prefix and all
  std::string value;      // references replaced
};

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void StartElement(std::string_view name,
                            const std::vector<XmlAttribute>& attributes) = 0;
  virtual void EndElement(std::string_view name) = 0;
  // The text inside an element, references replaced and line ends made
  // LF; one element's text may come in several pieces.
  virtual void Text(std::string_view text) = 0;
};

// The name without its namespace prefix: "x:row" is "row".
std::string_view LocalName(std::string_view name);

class XmlReader {
 public:
  // `part`: what the messages call the document.
  XmlReader(XmlHandler& handler, std::string part);

  // The next bytes of the document; hands on every event they complete.
  // Throws ReadFailure when the XML is not well formed.
  void Feed(std::string_view bytes);
  // The document has ended: throws ReadFailure when it is incomplete.
  void Finish();

 private:
  bool ParseNext();
  bool ParseText();
  bool ParseMarkup();
  bool ParseEndTag();
  bool ParseStartTag();
  bool SkipPast(std::string_view end);
  bool NeedMore() const;
  void HandText(std::string_view raw);
  std::size_t ParseName(std::size_t at, std::size_t end) const;
  void Decode(std::string_view raw, bool attribute, std::string& out) const;
  [[noreturn]] void Fail(const std::string& why) const;

  XmlHandler& handler_;
  std::string part_;
  std::string buffer_;
  std::size_t position_ = 0;
  std::uint64_t consumed_ = 0;  // bytes of the document before buffer_
  bool atEnd_ = false;
  bool started_ = false;  // past a byte-order mark, if any
  bool rootSeen_ = false;
  std::vector<std::string> open_;
  std::vector<XmlAttribute> attributes_;
  std::string text_;
};

#endif  // HOTFIXES_AUDITOR_BASELINE_READ_XML_READER_H_
