#include "auditor/table/read/json_value.h"

#include <gtest/gtest.h>

#include <string>

#include "support/failing_allocator.h"

namespace {

// What a document kept, written back compactly: {name:value,...}, [...].
std::string Kept(const JsonValue& value) {
  switch (value.kind) {
    case JsonValue::Kind::kObject: {
      std::string text = "{";
      for (const auto& member : value.members) {
        if (text.size() > 1) text += ",";
        text += std::string(member.first) + ":" + Kept(member.second);
      }
      return text + "}";
    }
    case JsonValue::Kind::kArray: {
      std::string text = "[";
      for (const JsonValue& item : value.items) {
        if (text.size() > 1) text += ",";
        text += Kept(item);
      }
      return text + "]";
    }
    case JsonValue::Kind::kString: return "\"" + std::string(value.text) + "\"";
    case JsonValue::Kind::kNumber: return std::string(value.text);
    case JsonValue::Kind::kTrue: return "true";
    case JsonValue::Kind::kFalse: return "false";
    case JsonValue::Kind::kNull: break;
  }
  return "null";
}

std::string Repeated(const std::string& piece, int count,
                     const std::string& between) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i == 0 ? "" : between) + piece;
  return text;
}

std::string Members(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += (i == 0 ? "\"k" : ",\"k") + std::to_string(i) + "\":0";
  }
  return text;
}

// Of a line, only what the shape asks for is kept, and the memory the
// parse takes grows with that, not with the line: a line of a hundred
// thousand values under a key a later version added, or a list longer
// than the shape keeps, costs no more than the few values kept.
TEST(JsonValueTest, KeepsWhatItsShapeAsksAndNoMore) {
  const JsonShape item{{{"id", nullptr}}, nullptr, 0};
  const JsonShape list{{}, &item, 3};
  const JsonShape line{{{"id", nullptr}, {"list", &list}}, nullptr, 0};
  struct Case {
    const char* name;
    std::string text;
    std::string kept;  // or the error
    std::size_t mostBytes;
  } cases[] = {
      {"values under a key it does not know",
       R"({"id":"a","later":[)" + Repeated("{}", 100000, ",") +
           R"(],"more":{"x":[1,"\u00e9",true]}})",
       R"({id:"a"})", 16 << 10},
      {"a list longer than it keeps",
       R"({"list":[)" + Repeated(R"({"id":"b","x":[1,2]})", 100000, ",") + "]}",
       R"({list:[{id:"b"},{id:"b"},{id:"b"}]})", 16 << 10},
      {"a member of another kind than asked", R"({"id":{"id":"c"},"list":"d"})",
       R"({id:{},list:"d"})", 16 << 10},
      {"an escaped name kept", R"({"\u0069d":"e"})", R"({id:"e"})", 16 << 10},
      {"a name twice, once escaped", R"({"ab":1,"\u0061b":2})",
       "a member named twice at byte 9", 16 << 10},
      {"a name twice among many ignored", "{" + Members(40) + R"(,"k7":1})",
       "a member named twice at byte 312", 64 << 10},
      {"more members than an object may hold", "{" + Members(1001) + "}",
       "an object of more than 1000 members at byte 8892", 256 << 10},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    JsonDocument document;
    std::string error;
    failing_allocator::FailAllocation(static_cast<std::size_t>(-1));
    const bool parsed = ParseJson(test.text, line, document, error);
    failing_allocator::Disarm();
    EXPECT_EQ(parsed ? Kept(document.root) : error, test.kept);
    EXPECT_LE(failing_allocator::BytesAllocated(), test.mostBytes);
  }
}

}  // namespace
