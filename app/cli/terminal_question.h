#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "platform/dialog_feedback.h"

namespace zelvo::cli {

// How a Yes/No question was answered.
struct QuestionReply {
  platform::MessageAnswer answer = platform::MessageAnswer::kNo;
  std::string how;                 // who answered, for the output ("--yes", ...)
  bool asked_on_terminal = false;  // the prompt and the typed answer are on the terminal already
};

// Answers the dialog's Yes/No questions for a terminal front end:
// - with --yes (`assume_yes`) the answer is Yes and nothing is asked;
// - with a terminal on stdin (`interactive`) the question is asked as "<text> [y/N] " on
//   `prompt` and a line read from `in`: "y" or "yes" (any letter case) is Yes, anything else,
//   and the end of input, is No;
// - otherwise nobody can answer, and the answer is No.
class TerminalQuestion {
 public:
  TerminalQuestion(bool assume_yes, bool interactive, std::istream& in, std::ostream& prompt)
      : assume_yes_(assume_yes), interactive_(interactive), in_(in), prompt_(prompt) {}

  QuestionReply Ask(const std::string& text);

 private:
  bool assume_yes_;
  bool interactive_;
  std::istream& in_;
  std::ostream& prompt_;
};

}  // namespace zelvo::cli
