#include "app/cli/json_text.h"

#include <gtest/gtest.h>

namespace zelvo::cli {
namespace {

TEST(CliJsonText, QuotesEveryCharacterThatJsonCannotCarryAsItIs) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "\"plain\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"C:\\boxes", "\"C:\\\\boxes\""},
      {"a\nb\tc\rd", "\"a\\nb\\tc\\rd\""},
      {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\\u007f\""},
      {std::string("nul\0end", 7), "\"nul\\u0000end\""},
      {"caf\xE9", "\"caf\\u00e9\""},  // a Latin-1 byte: plain ASCII out
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(JsonQuote(text), quoted);
}

TEST(CliJsonText, ALineReadsBackAsItWasWritten) {
  const std::string awkward = "\"quoted\" \\ \n\x02 caf\xE9";
  std::string line = JsonLine()
                         .Add("event", "status")
                         .Add("text", awkward)
                         .Add("ms", 1234)
                         .Add("big", uint32_t{4000000000u})
                         .Add("passed", false)
                         .Text();
  std::optional<JsonObject> object = ParseJsonObject(line);
  ASSERT_TRUE(object.has_value()) << line;
  EXPECT_EQ(JsonString(*object, "event"), "status");
  EXPECT_EQ(JsonString(*object, "text"), awkward);
  EXPECT_EQ(JsonInteger(*object, "ms"), 1234);
  EXPECT_EQ(JsonInteger(*object, "big"), 4000000000);
  EXPECT_FALSE(JsonTrue(*object, "passed"));
  EXPECT_EQ(JsonString(*object, "ms", "none"), "none") << "a number is no string";
  EXPECT_EQ(JsonInteger(*object, "text", -1), -1) << "a string is no number";
}

TEST(CliJsonText, ReadsOtherWritersEscapesAndBlanks) {
  std::optional<JsonObject> object =
      ParseJsonObject(" { \"a\" : \"\\u00e9\\u20ac\\/\" , \"b\":true,\"c\":null,\"d\":-7 } ");
  ASSERT_TRUE(object.has_value());
  EXPECT_EQ(JsonString(*object, "a"), "\xE9\xE2\x82\xAC/");
  EXPECT_TRUE(JsonTrue(*object, "b"));
  EXPECT_EQ(JsonInteger(*object, "d"), -7);
  EXPECT_EQ(JsonInteger(*object, "c", 5), 5);
  EXPECT_TRUE(ParseJsonObject("{}").has_value());
}

TEST(CliJsonText, RefusesWhatIsNoFlatObject) {
  for (const char* line :
       {"", "status", "{", "{\"a\"}", "{\"a\":}", "{\"a\":\"x}", "{\"a\":1,}", "{\"a\":{\"b\":1}}",
        "{\"a\":[1]}", "{\"a\":1} trailing", "{\"a\":\"\\q\"}", "{\"a\":\"\\u12\"}",
        "{\"a\":\"tab\there\"}", "{a:1}", "{\"a\":tru}"}) {
    EXPECT_FALSE(ParseJsonObject(line).has_value()) << line;
  }
}

TEST(CliJsonText, AnIntegerTooLongForItsTypeIsNoInteger) {
  std::optional<JsonObject> object = ParseJsonObject("{\"n\":99999999999999999999,\"f\":1.5}");
  ASSERT_TRUE(object.has_value());
  EXPECT_EQ(JsonInteger(*object, "n", -1), -1);
  EXPECT_EQ(JsonInteger(*object, "f", -1), -1);
}

}  // namespace
}  // namespace zelvo::cli
