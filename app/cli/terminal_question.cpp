#include "app/cli/terminal_question.h"

#include <cctype>

namespace zelvo::cli {
namespace {

// The typed answer without surrounding blanks, in lower case.
std::string AnswerWord(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])) != 0) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])) != 0) --end;
  std::string word = text.substr(begin, end - begin);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

}  // namespace

QuestionReply TerminalQuestion::Ask(const std::string& text) {
  QuestionReply reply;
  if (assume_yes_) {
    reply.answer = platform::MessageAnswer::kYes;
    reply.how = "--yes";
    return reply;
  }
  if (!interactive_) {
    reply.answer = platform::MessageAnswer::kNo;
    reply.how = "no terminal to ask on; --yes answers Yes";
    return reply;
  }
  prompt_ << text << " [y/N] ";
  prompt_.flush();
  std::string line;
  bool got = static_cast<bool>(std::getline(in_, line));
  if (!got) prompt_ << '\n';  // the end of input leaves the prompt without a line end
  std::string word = AnswerWord(line);
  reply.answer = got && (word == "y" || word == "yes") ? platform::MessageAnswer::kYes
                                                       : platform::MessageAnswer::kNo;
  reply.how = "answered on the terminal";
  reply.asked_on_terminal = true;
  return reply;
}

}  // namespace zelvo::cli
