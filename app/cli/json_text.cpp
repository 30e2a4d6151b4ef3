#include "app/cli/json_text.h"

#include <cctype>
#include <cstdio>

namespace zelvo::cli {
namespace {

// A reader over one line; every step checks the end first.
class Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\n')) {
      ++pos_;
    }
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  bool Take(char c) {
    if (Peek() != c || AtEnd()) return false;
    ++pos_;
    return true;
  }

  std::optional<std::string> String() {
    if (!Take('"')) return std::nullopt;
    std::string out;
    while (!AtEnd()) {
      char c = text_[pos_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (AtEnd()) return std::nullopt;
      char e = text_[pos_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out.push_back(e);
          break;
        case 'b':
          out.push_back('\b');
          break;
        case 'f':
          out.push_back('\f');
          break;
        case 'n':
          out.push_back('\n');
          break;
        case 'r':
          out.push_back('\r');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'u': {
          std::optional<unsigned> code = Hex4();
          if (!code) return std::nullopt;
          AppendCode(*code, out);
          break;
        }
        default:
          return std::nullopt;
      }
    }
    return std::nullopt;
  }

  // A literal other than a string: a number, true, false or null.
  std::optional<std::string> Literal() {
    size_t start = pos_;
    while (!AtEnd() && (std::isalnum(static_cast<unsigned char>(Peek())) != 0 || Peek() == '-' ||
                        Peek() == '+' || Peek() == '.')) {
      ++pos_;
    }
    std::string literal = text_.substr(start, pos_ - start);
    if (literal.empty()) return std::nullopt;
    if (literal == "true" || literal == "false" || literal == "null") return literal;
    size_t i = literal[0] == '-' ? 1 : 0;
    if (i >= literal.size() || std::isdigit(static_cast<unsigned char>(literal[i])) == 0) {
      return std::nullopt;
    }
    for (char c : literal.substr(i)) {
      if (std::isdigit(static_cast<unsigned char>(c)) == 0 && c != '.' && c != 'e' && c != 'E' &&
          c != '+' && c != '-') {
        return std::nullopt;
      }
    }
    return literal;
  }

 private:
  std::optional<unsigned> Hex4() {
    if (pos_ + 4 > text_.size()) return std::nullopt;
    unsigned code = 0;
    for (int i = 0; i < 4; ++i) {
      char c = text_[pos_++];
      code <<= 4;
      if (c >= '0' && c <= '9') {
        code |= static_cast<unsigned>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        code |= static_cast<unsigned>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        code |= static_cast<unsigned>(c - 'A' + 10);
      } else {
        return std::nullopt;
      }
    }
    return code;
  }

  static void AppendCode(unsigned code, std::string& out) {
    if (code <= 0xFF) {
      out.push_back(static_cast<char>(code));
    } else if (code <= 0x7FF) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }

  const std::string& text_;
  size_t pos_ = 0;
};

}  // namespace

std::string JsonQuote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (byte < 0x20 || byte >= 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out += escaped;
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
  return out;
}

void JsonLine::Key(const std::string& key) {
  if (!fields_.empty()) fields_.push_back(',');
  fields_ += JsonQuote(key);
  fields_.push_back(':');
}

JsonLine& JsonLine::Add(const std::string& key, const std::string& value) {
  Key(key);
  fields_ += JsonQuote(value);
  return *this;
}

JsonLine& JsonLine::Add(const std::string& key, int64_t value) {
  Key(key);
  fields_ += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::Add(const std::string& key, bool value) {
  Key(key);
  fields_ += value ? "true" : "false";
  return *this;
}

std::optional<JsonObject> ParseJsonObject(const std::string& line) {
  Reader in(line);
  JsonObject object;
  in.SkipBlanks();
  if (!in.Take('{')) return std::nullopt;
  in.SkipBlanks();
  if (!in.Take('}')) {
    for (;;) {
      in.SkipBlanks();
      std::optional<std::string> key = in.String();
      if (!key) return std::nullopt;
      in.SkipBlanks();
      if (!in.Take(':')) return std::nullopt;
      in.SkipBlanks();
      JsonValue value;
      if (in.Peek() == '"') {
        std::optional<std::string> text = in.String();
        if (!text) return std::nullopt;
        value = {true, *text};
      } else {
        std::optional<std::string> literal = in.Literal();
        if (!literal) return std::nullopt;
        value = {false, *literal};
      }
      object[*key] = value;
      in.SkipBlanks();
      if (in.Take('}')) break;
      if (!in.Take(',')) return std::nullopt;
    }
  }
  in.SkipBlanks();
  if (!in.AtEnd()) return std::nullopt;
  return object;
}

std::string JsonString(const JsonObject& object, const std::string& key,
                       const std::string& fallback) {
  auto it = object.find(key);
  return it != object.end() && it->second.is_string ? it->second.text : fallback;
}

int64_t JsonInteger(const JsonObject& object, const std::string& key, int64_t fallback) {
  auto it = object.find(key);
  if (it == object.end() || it->second.is_string) return fallback;
  const std::string& text = it->second.text;
  size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
  // At most 18 digits, so the value always fits.
  if (i >= text.size() || text.size() - i > 18) return fallback;
  for (size_t k = i; k < text.size(); ++k) {
    if (std::isdigit(static_cast<unsigned char>(text[k])) == 0) return fallback;
  }
  return std::stoll(text);
}

bool JsonTrue(const JsonObject& object, const std::string& key) {
  auto it = object.find(key);
  return it != object.end() && !it->second.is_string && it->second.text == "true";
}

}  // namespace zelvo::cli
