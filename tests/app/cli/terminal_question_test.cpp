#include "app/cli/terminal_question.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zelvo::cli {
namespace {

using platform::MessageAnswer;

TEST(CliTerminalQuestion, OnATerminalOnlyYesMeansYes) {
  const std::pair<std::string, MessageAnswer> typed[] = {
      {"y\n", MessageAnswer::kYes}, {" YES \n", MessageAnswer::kYes}, {"n\n", MessageAnswer::kNo},
      {"\n", MessageAnswer::kNo},   {"yess\n", MessageAnswer::kNo},   {"", MessageAnswer::kNo},
  };
  for (const auto& [input, answer] : typed) {
    std::istringstream in(input);
    std::ostringstream prompt;
    QuestionReply reply = TerminalQuestion(false, true, in, prompt).Ask("Erase Flash and EPLD?");
    EXPECT_EQ(reply.answer, answer) << '"' << input << '"';
    EXPECT_TRUE(reply.asked_on_terminal);
    EXPECT_EQ(prompt.str().rfind("Erase Flash and EPLD? [y/N] ", 0), 0u);
  }
}

TEST(CliTerminalQuestion, YesAnswersWithoutAskingAndNobodyMeansNo) {
  std::istringstream in("y\n");
  std::ostringstream prompt;
  QuestionReply yes = TerminalQuestion(true, true, in, prompt).Ask("Erase Flash and EPLD?");
  EXPECT_EQ(yes.answer, MessageAnswer::kYes);
  EXPECT_EQ(yes.how, "--yes");
  QuestionReply nobody = TerminalQuestion(false, false, in, prompt).Ask("Erase Flash and EPLD?");
  EXPECT_EQ(nobody.answer, MessageAnswer::kNo);
  EXPECT_NE(nobody.how.find("--yes"), std::string::npos) << "says how to answer Yes";
  EXPECT_FALSE(nobody.asked_on_terminal);
  EXPECT_EQ(prompt.str(), "") << "nothing asked";
  EXPECT_EQ(in.tellg(), 0) << "nothing read";
}

}  // namespace
}  // namespace zelvo::cli
