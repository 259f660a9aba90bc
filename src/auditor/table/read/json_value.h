// A strict reader of one JSON text (RFC 8259), for the lines an earlier
// run wrote: a file an auditor keeps is as open to tampering as the share,
// so nothing but exact JSON is taken, nesting and sizes are bounded, and
// of what it holds only what the caller asks for is kept: a line of a
// million values under a key a later version added costs no memory.
#ifndef HOTFIXES_AUDITOR_TABLE_READ_JSON_VALUE_H_
#define HOTFIXES_AUDITOR_TABLE_READ_JSON_VALUE_H_

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What of a value is kept: of an object, the members named here, each in
// its own shape; of an array, the first `mostItems` items, each in the
// shape `items`. A value kept without a shape (null) keeps its kind and,
// a string or a number, its text, but nothing inside an object or array.
// The rest is read, to be sure it is JSON, and dropped.
struct JsonShape {
  struct Member {
    std::string_view name;
    const JsonShape* shape;
  };
  std::vector<Member> members;
  const JsonShape* items = nullptr;
  std::size_t mostItems = 0;

  // Whether `name` is kept, and in which shape.
  bool Keeps(std::string_view name, const JsonShape*& shape) const;
};

// A value's texts point into the parsed text, or, where escapes had to be
// decoded, into its document: a line of a hundred hotfixes and their
// comments is read without a copy of each.
struct JsonValue {
  enum class Kind { kNull, kFalse, kTrue, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  std::string_view text;         // a string's UTF-8, or a number as written
  std::vector<JsonValue> items;  // an array's kept
  std::vector<std::pair<std::string_view, JsonValue>> members;  // kept

  // The member of that name, or null when there is none (or it was not
  // kept).
  const JsonValue* Member(std::string_view name) const;
};

struct JsonDocument {
  JsonValue root;
  std::deque<std::string> decoded;  // the strings kept that held escapes
};

// Parses `text` whole into `document`, keeping of it what `shape` says;
// its texts live as long as both do. False, with `error` saying what and
// at which byte (counted from 1), when it is no JSON text. Strings must
// be UTF-8 and their escapes whole (a surrogate pair, not half of one);
// an object may not name a member twice, nor hold more than 1,000;
// nesting is at most 32 deep. Time and memory grow with the text
// linearly, memory only with what is kept.
bool ParseJson(std::string_view text, const JsonShape& shape,
               JsonDocument& document, std::string& error);

#endif  // HOTFIXES_AUDITOR_TABLE_READ_JSON_VALUE_H_
