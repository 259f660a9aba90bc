#include "auditor/baseline/read/xml_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "auditor/baseline/read/read_failure.h"

namespace {

// Each event as text: <name a=value>, text, </name>.
class TracingHandler : public XmlHandler {
 public:
  void StartElement(std::string_view name,
                    const std::vector<XmlAttribute>& attributes) override {
    trace += "<" + std::string(LocalName(name));
    for (const XmlAttribute& attribute : attributes) {
      trace += " " + std::string(attribute.name) + "=" + attribute.value;
    }
    trace += ">";
  }
  void EndElement(std::string_view name) override {
    trace += "</" + std::string(name) + ">";
  }
  void Text(std::string_view text) override { trace += text; }
  std::string trace;
};

// Fed in pieces of `piece` bytes: the events, or what is wrong.
std::string Parse(const std::string& document, std::size_t piece) {
  TracingHandler handler;
  try {
    XmlReader reader(handler, "part");
    for (std::size_t at = 0; at < document.size(); at += piece) {
      reader.Feed(std::string_view(document).substr(at, piece));
    }
    reader.Finish();
  } catch (const ReadFailure& failure) {
    return "error: " + failure.message;
  }
  return handler.trace;
}

TEST(XmlReaderTest, EventsWhereverThePiecesEnd) {
  struct Case {
    std::string document;
    std::string trace;
  } cases[] = {
      {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- a -- comment -->"
       "<x:a x:b='1 &amp;\t2' c=\"&quot;&#65;&#x42;\">one\r\ntwo&lt;&gt;"
       "&apos;&#x2028;<![CDATA[<&>]]><e/></x:a>\n",
       "<a x:b=1 & 2 c=\"AB>one\ntwo<>'\xE2\x80\xA8<&><e></e></x:a>"},
      {"<a><b>",
       "error: part is not well-formed XML (byte 6): it ends "
       "inside element <b>"},
      {"<a><b></a>",
       "error: part is not well-formed XML (byte 6): end tag "
       "</a> does not close <b>"},
      {"<a b=1/>",
       "error: part is not well-formed XML (byte 0): an "
       "attribute value without quotes"},
      {"<a>&nbsp;</a>",
       "error: part is not well-formed XML (byte 3): an "
       "entity &nbsp; that XML does not define (no DTD is "
       "read)"},
      {"<a>&#xD800;</a>",
       "error: part is not well-formed XML (byte 3): a "
       "character reference to no character"},
      {"<a>\xC3</a>",
       "error: part is not well-formed XML (byte 3): text that "
       "is not UTF-8"},
      {"text<a/>",
       "error: part is not well-formed XML (byte 0): text "
       "outside the root element"},
      {"<a/><b/>",
       "error: part is not well-formed XML (byte 4): a second "
       "root element"},
      {"<a",
       "error: part is not well-formed XML (byte 0): it ends inside a "
       "tag"},
      {"", "error: part is not well-formed XML (byte 0): no root element"},
      {"<!DOCTYPE a [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><a>&e;</a>",
       "error: part holds a document type declaration (<!DOCTYPE), which is "
       "not read: no DTD or external entity is"},
      // What a message quotes of the document, its hidden characters shown.
      {"<a>&\x1b[2J\n;</a>",
       "error: part is not well-formed XML (byte 3): an entity "
       "&<U+001B>[2J<U+000A>; that XML does not define (no DTD is read)"},
      {"<a\xE2\x80\xAE></b>",
       "error: part is not well-formed XML (byte 6): end tag </b> does not "
       "close <a<U+202E>>"},
      {"<a><b\xC2\x85>",
       "error: part is not well-formed XML (byte 8): it ends inside element "
       "<b<U+0085>>"},
      {"<a\xFF/>",
       "error: part is not well-formed XML (byte 0): a name that is not "
       "UTF-8"},
      // Bounds: each element open is held, each attribute compared.
      {[] {
         std::string open;
         for (int i = 0; i < 65; ++i) open += "<a>";
         return open;
       }(),
       "error: part is not well-formed XML (byte 192): elements nested more "
       "than 64 deep"},
      {[] {
         std::string tag = "<a";
         for (int i = 0; i < 257; ++i) tag += " a" + std::to_string(i) + "=''";
         return tag + "/>";
       }(),
       "error: part is not well-formed XML (byte 0): a tag of more than 256 "
       "attributes"},
  };
  for (const Case& test : cases) {
    for (std::size_t piece :
         {std::size_t{1}, std::size_t{3}, std::size_t{1000}}) {
      EXPECT_EQ(Parse(test.document, piece), test.trace)
          << test.document << " in pieces of " << piece;
    }
  }
}

}  // namespace
