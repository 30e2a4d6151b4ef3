#include "platform/ui/typing_limit.h"

#include <gtest/gtest.h>

namespace zelvo::platform::ui {
namespace {

struct Edit {
  const char* what;
  const char* before;
  const char* after;
  size_t limit;
  const char* kept;
};

TEST(TypingLimitTest, KeepsWhatFitsOfEachEdit) {
  const Edit kEdits[] = {
      {"no limit", "abc", "abcdefgh", 0, "abcdefgh"},
      {"within the limit", "abc", "abcd", 4, "abcd"},
      {"one too many at the end", "abcd", "abcde", 4, "abcd"},
      {"one too many in the middle", "abcd", "abXcd", 4, "abcd"},
      {"a paste cut to the room left", "ab", "abXYZ", 4, "abXY"},
      {"a paste in the middle cut", "ad", "aXYZd", 4, "aXYd"},
      {"a paste over a selection", "abcd", "aXYZd", 4, "aXYd"},
      {"replacing everything", "", "192.168.100.200.7", 15, "192.168.100.200"},
      {"a repeated letter inserted", "abc", "abbc", 3, "abc"},
      {"over the limit already: no insertion", "abcdef", "abcdXef", 4, "abcdef"},
      {"over the limit already: deleting is fine", "abcdef", "abcef", 4, "abcef"},
      {"over the limit: same length replace", "abcdef", "abXdef", 4, "abXdef"},
  };
  for (const Edit& e : kEdits) {
    SCOPED_TRACE(e.what);
    EXPECT_EQ(ApplyTypingLimit(e.before, e.after, e.limit), e.kept);
  }
}

}  // namespace
}  // namespace zelvo::platform::ui
