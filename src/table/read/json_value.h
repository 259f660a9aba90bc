// A strict reader of one JSON text (RFC 8259), for the lines an earlier
// run wrote: a file an auditor keeps is as open to tampering as the share,
// so nothing but exact JSON is taken, and nesting and sizes are bounded.
#ifndef HOTFIXES_TABLE_READ_JSON_VALUE_H_
#define HOTFIXES_TABLE_READ_JSON_VALUE_H_

#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A value's texts point into the parsed text, or, where escapes had to be
// decoded, into its document: a line of a hundred hotfixes and their
// comments is read without a copy of each.
struct JsonValue {
  enum class Kind { kNull, kFalse, kTrue, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  std::string_view text;         // a string's UTF-8, or a number as written
  std::vector<JsonValue> items;  // an array's
  std::vector<std::pair<std::string_view, JsonValue>> members;  // an object's

  // The member of that name, or null when there is none.
  const JsonValue* Member(std::string_view name) const;
};

struct JsonDocument {
  JsonValue root;
  std::deque<std::string> decoded;  // the strings that held escapes
};

// Parses `text` whole into `document`, whose texts live as long as both
// do; false, with `error` saying what and at which byte (counted from 1),
// when it is no JSON text. Strings must be UTF-8 and their escapes whole
// (a surrogate pair, not half of one); an object may not name a member
// twice; nesting is at most 32 deep.
bool ParseJson(std::string_view text, JsonDocument& document,
               std::string& error);

#endif  // HOTFIXES_TABLE_READ_JSON_VALUE_H_
