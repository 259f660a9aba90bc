// A strict reader of one JSON text (RFC 8259), for the lines an earlier
// run wrote: a file an auditor keeps is as open to tampering as the share,
// so nothing but exact JSON is taken, and nesting and sizes are bounded.
#ifndef HOTFIXES_TABLE_READ_JSON_VALUE_H_
#define HOTFIXES_TABLE_READ_JSON_VALUE_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct JsonValue {
  enum class Kind { kNull, kFalse, kTrue, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  std::string text;              // a string's UTF-8, or a number as written
  std::vector<JsonValue> items;  // an array's
  std::vector<std::pair<std::string, JsonValue>> members;  // an object's

  // The member of that name, or null when there is none.
  const JsonValue* Member(std::string_view name) const;
};

// Parses `text` whole into `value`; false, with `error` saying what and at
// which byte (counted from 1), when it is no JSON text. Strings must be
// UTF-8 and their escapes whole (a surrogate pair, not half of one); an
// object may not name a member twice; nesting is at most 32 deep.
bool ParseJson(std::string_view text, JsonValue& value, std::string& error);

#endif  // HOTFIXES_TABLE_READ_JSON_VALUE_H_
