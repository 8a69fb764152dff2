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

void RunLog::Prepend(std::string_view earlier) {
  if (earlier.empty()) return;
  std::string joined = NormalizeLineEnds(earlier);
  if (!joined.ends_with("\r\n")) joined += "\r\n";
  text_ = joined + text_;
  if (on_reset) on_reset(text_);
}

void RunLog::Append(std::string_view line) {
  std::string added;
  if (text_.empty() || text_.ends_with("\r\n")) {
    added.append(line).append("\r\n");
  } else {
    // The loaded file's last line had no line end: the new line still starts
    // on a line of its own, and the text keeps ending without one.
    added.append("\r\n").append(line);
  }
  text_ += added;
  if (on_append) on_append(added);
}

}  // namespace yx::log
