#include "log/run_log.h"

namespace yx::log {

std::string NormalizeLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string JoinedLines(const std::vector<std::string>& lines, bool open_end) {
  std::string added;
  for (const std::string& line : lines) {
    if (open_end) {
      // The last line had no line end: the new line still starts on a line
      // of its own, and the text keeps ending without one.
      added.append("\r\n").append(line);
    } else {
      added.append(line).append("\r\n");
    }
  }
  return added;
}

void RunLog::Append(std::string_view line) {
  const std::string added =
      JoinedLines({std::string(line)}, !text_.empty() && !text_.ends_with("\r\n"));
  text_ += added;
  unsaved_.emplace_back(line);
  if (on_append) on_append(added);
}

std::string RunLog::Unsaved() const { return JoinedLines(unsaved_, false); }

}  // namespace yx::log
