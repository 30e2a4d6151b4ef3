#include "app/cli/progress_board.h"

#include <algorithm>
#include <utility>

#include "app/cli/cli_output.h"

namespace zelvo::cli {

ProgressBoard::ProgressBoard(std::ostream& out, bool redraw, std::vector<std::string> ports,
                             int columns)
    : out_(out), redraw_(redraw), ports_(std::move(ports)), columns_(columns) {
  texts_.resize(ports_.size());
  for (const std::string& port : ports_) label_width_ = std::max(label_width_, port.size());
}

std::string ProgressBoard::Row(size_t box) const {
  std::string label = ports_[box];
  label.resize(label_width_, ' ');
  return RedrawnLine(label + "  " + WithProgressBar(texts_[box]), columns_);
}

void ProgressBoard::Flush() {
  out_.flush();
}

void ProgressBoard::Begin() {
  if (!redraw_ || begun_) return;
  begun_ = true;
  for (size_t box = 0; box < ports_.size(); ++box) out_ << Row(box) << '\n';
  Flush();
}

void ProgressBoard::Status(size_t box, const std::string& text) {
  if (box >= ports_.size()) return;
  texts_[box] = text;
  if (!redraw_) {
    if (!text.empty()) out_ << ports_[box] << ": " << text << '\n';
    Flush();
    return;
  }
  Begin();
  // Up to the box's line, rewrite it, and back down below the block.
  size_t up = ports_.size() - box;
  out_ << "\033[" << up << 'A' << Row(box) << "\033[" << up << 'B' << '\r';
  Flush();
}

void ProgressBoard::Line(size_t box, const std::string& text) {
  if (box >= ports_.size()) return;
  std::string line = ports_[box] + ": " + text;
  if (!redraw_) {
    out_ << line << '\n';
    Flush();
    return;
  }
  Begin();
  // The line takes the block's first row; the block is drawn again below it.
  out_ << "\033[" << ports_.size() << 'A' << RedrawnLine(line, 0) << '\n';
  for (size_t b = 0; b < ports_.size(); ++b) out_ << Row(b) << '\n';
  Flush();
}

}  // namespace zelvo::cli
