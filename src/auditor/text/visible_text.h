// Text from the share made safe to show: whoever may write a report file
// chooses its name and content, and characters a person cannot see, or
// that move the text around them, would let one machine pass for another
// or rewrite a terminal's earlier lines.
#ifndef HOTFIXES_AUDITOR_TEXT_VISIBLE_TEXT_H_
#define HOTFIXES_AUDITOR_TEXT_VISIBLE_TEXT_H_

#include <string>
#include <string_view>

enum class LineBreaks {
  kShown,  // every CR and LF is written as its code point
  kKept,   // CR LF, the joint of a comment's lines, stays as it is
};

// Writes each invisible or text-moving character of the UTF-8 `text` as
// "<U+XXXX>": C0 and C1 controls, DEL, and the zero-width, bidirectional
// and other formatting characters. True when it replaced any.
bool ShowInvisibleCharacters(std::string& text,
                             LineBreaks lineBreaks = LineBreaks::kShown);

// The same for a copy.
std::string Visible(std::string_view text);

// A text from a file as a message quotes it: at most its first `most`
// bytes (cut where a character starts, "..." added), each byte that is no
// UTF-8 as U+FFFD, and then Visible().
std::string VisibleExcerpt(std::string_view text, std::size_t most);

#endif  // HOTFIXES_AUDITOR_TEXT_VISIBLE_TEXT_H_
