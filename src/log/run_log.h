#pragma once
// The run log: the lines of the month as CP932 bytes with CR LF line ends.
// The month's file is the log's truth: another run (a scheduled one while the
// window is open) may have added to it since it was read, so a save adds the
// lines not saved yet to the file as it stands then, never a stale copy. The
// text here is what the log view shows: the file as last read or written,
// with the lines added since.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace yx::log {

// How the log stamps a run's START= and END= lines, and the fallback file its lines.
inline constexpr char kStamp[] = "yy/mm/dd hh:nn:ss";

class RunLog {
 public:
  // The view follows the text through these two.
  std::function<void(std::string_view whole)> on_reset;
  std::function<void(std::string_view added)> on_append;

  // Replaces the text with the file's (none when it does not exist) followed
  // by the lines not saved yet; a lone CR or LF becomes CR LF. Throws
  // FileError "ファイル %s は開けません" when the file exists but cannot be
  // read (for example while another program writes it).
  void LoadLog(const std::string& cp932_path);

  // Adds the lines not saved yet to the file as it stands now. The whole new
  // text goes into a new file beside it, which then replaces the old one, so
  // a crash or a full disk never leaves the month's log cut short; a file
  // that cannot be replaced (held open by a viewer) gets the lines appended
  // in place. Throws FileError "ファイル %s を作成できません" and keeps the
  // lines for the next save.
  void SaveLog(const std::string& cp932_path);

  // The lines not saved yet, each ending in CR LF.
  [[nodiscard]] std::string Unsaved() const;

  // A tab, then the message.
  void LogLine(std::string_view message) { Append("\t" + std::string(message)); }
  // One line exactly as given.
  void Append(std::string_view line);

  [[nodiscard]] const std::string& Text() const noexcept { return text_; }

 private:
  std::string text_;
  std::vector<std::string> unsaved_;
};

// `lines` as they are added to a text that ends without a line end
// (`open_end`: a last line without CR LF) or with one.
[[nodiscard]] std::string JoinedLines(const std::vector<std::string>& lines, bool open_end);

// CR LF for every lone CR and every lone LF.
[[nodiscard]] std::string NormalizeLineEnds(std::string_view text);

}  // namespace yx::log
