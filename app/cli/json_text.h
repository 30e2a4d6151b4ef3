#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace zelvo::cli {

// The JSON lines that --json writes: one flat object per line, of string, integer and boolean
// values, for other programs (and the parallel runner's own children) to follow.
//
// Texts in this system are single-byte strings; a byte of 0x80 and above is taken as the
// Latin-1 character of that code and written as \u00XX, so every line is plain ASCII and valid
// JSON whatever the texts hold.

// `text` as a JSON string literal, quotes included.
std::string JsonQuote(const std::string& text);

// Builds one object, fields in the order added.
class JsonLine {
 public:
  JsonLine& Add(const std::string& key, const std::string& value);
  JsonLine& Add(const std::string& key, const char* value) { return Add(key, std::string(value)); }
  JsonLine& Add(const std::string& key, int64_t value);
  JsonLine& Add(const std::string& key, int value) { return Add(key, int64_t{value}); }
  JsonLine& Add(const std::string& key, uint32_t value) { return Add(key, int64_t{value}); }
  JsonLine& Add(const std::string& key, bool value);
  // The object's text, without a line end.
  std::string Text() const { return "{" + fields_ + "}"; }

 private:
  void Key(const std::string& key);
  std::string fields_;
};

// A value of a flat object as read back: strings decoded, other values as their literal text
// ("12", "true", "null").
struct JsonValue {
  bool is_string = false;
  std::string text;
};
using JsonObject = std::map<std::string, JsonValue>;

// Reads one flat object (no nested objects or arrays). nullopt for anything else, including
// text after the closing brace other than blanks. \u escapes up to 00FF give that byte, others
// their UTF-8 bytes.
std::optional<JsonObject> ParseJsonObject(const std::string& line);

// The string value of `key`, or `fallback` when it is missing or not a string.
std::string JsonString(const JsonObject& object, const std::string& key,
                       const std::string& fallback = "");
// The integer value of `key`, or `fallback` when it is missing or not an integer.
int64_t JsonInteger(const JsonObject& object, const std::string& key, int64_t fallback = 0);
// True when `key` holds the literal true.
bool JsonTrue(const JsonObject& object, const std::string& key);

}  // namespace zelvo::cli
