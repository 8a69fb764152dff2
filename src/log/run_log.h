#pragma once
// The run log: the lines of the month, held here as CP932 bytes with CR LF
// line ends. This text is the log's truth; the log view only shows it, and the
// month's file is a copy of it as it stood at the end of the last run.
#include <functional>
#include <string>
#include <string_view>

namespace yx::log {

class RunLog {
 public:
  // The view follows the text through these two.
  std::function<void(std::string_view whole)> on_reset;
  std::function<void(std::string_view added)> on_append;

  // Replaces the text with the file's, when the file exists; a lone CR or LF
  // becomes CR LF. Throws FileError "ファイル %s は開けません" when the file
  // exists but cannot be read (for example while another program writes it).
  void LoadLog(const std::string& cp932_path);

  // Writes the whole text to the file. The text goes into a new file beside it
  // first, which then replaces the old one, so a crash or a full disk never
  // leaves the month's log cut short. Throws FileError
  // "ファイル %s を作成できません".
  void SaveLog(const std::string& cp932_path) const;

  // Puts earlier lines in front of the text (a month's file that could not be
  // read before).
  void Prepend(std::string_view earlier);

  // A tab, then the message.
  void LogLine(std::string_view message) { Append("\t" + std::string(message)); }
  // One line exactly as given.
  void Append(std::string_view line);

  [[nodiscard]] const std::string& Text() const noexcept { return text_; }

 private:
  std::string text_;
};

// CR LF for every lone CR and every lone LF.
[[nodiscard]] std::string NormalizeLineEnds(std::string_view text);

}  // namespace yx::log
