#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zelvo::cli {

// One status line per box while several boxes run at once.
// - On a terminal (`redraw`) the lines form a block that is redrawn in place: a box's new text
//   rewrites its own line, and a message or note is put above the block, which then moves down
//   by one line. The cursor always stands on the line below the block.
// - Otherwise every status text and every message is one line of its own, "<port>: <text>".
class ProgressBoard {
 public:
  ProgressBoard(std::ostream& out, bool redraw, std::vector<std::string> ports, int columns = 0);

  // Draws the block (terminal only): each box's line with no text yet.
  void Begin();
  void Status(size_t box, const std::string& text);
  // A line that stays: a message box, a note.
  void Line(size_t box, const std::string& text);

 private:
  std::string Row(size_t box) const;
  void Flush();

  std::ostream& out_;
  bool redraw_;
  std::vector<std::string> ports_;
  std::vector<std::string> texts_;
  size_t label_width_ = 0;
  int columns_;
  bool begun_ = false;
};

}  // namespace zelvo::cli
