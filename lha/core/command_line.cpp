#include "lha/core/command_line.h"

#include "base/cp932.h"

namespace yx::lha {
namespace {

struct Word {
  std::string text;
  bool quoted_start = false;  // began with a quote: never a switch
};

bool SplitWords(std::string_view line, std::vector<Word>& words, bool utf8) {
  size_t i = 0;
  for (;;) {
    while (i < line.size() &&
           (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n'))
      ++i;
    if (i >= line.size()) return true;
    Word w;
    w.quoted_start = line[i] == '"';
    bool quoted = false;
    while (i < line.size()) {
      const char c = line[i];
      if (c == '"') {
        quoted = !quoted;
        ++i;
        continue;
      }
      if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) break;
      // UTF-8 has no ASCII byte inside a character.
      const size_t n = utf8 ? 1 : cp932::CharLength(line, i);
      w.text.append(line.substr(i, n));
      i += n;
    }
    if (quoted) return false;
    words.push_back(std::move(w));
  }
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool ApplySwitch(std::string_view s, ArchiveCommand& out) {
  std::string lower;
  for (char c : s) lower += Lower(c);
  // Paths are always stored relative to the base folder.
  if (lower == "x" || lower == "x1") return true;
  if (lower == "r0") {
    out.recurse = out.folder_entries = false;
    return true;
  }
  if (lower == "r" || lower == "r1") {
    out.recurse = true;
    out.folder_entries = false;
    return true;
  }
  if (lower == "r2") {
    out.recurse = out.folder_entries = true;
    return true;
  }
  if (lower == "c") {
    out.overwrite = Overwrite::kAlways;
    return true;
  }
  if (lower == "u") {
    out.overwrite = Overwrite::kNewer;
    return true;
  }
  // Callers of archiver libraries pass -m1 (no questions); nothing here asks.
  return lower == "m" || lower == "m0" || lower == "m1" || lower == "m2";
}

}  // namespace

CommandError ParseCommandLine(std::string_view line, ArchiveCommand& out, bool utf8) {
  out = ArchiveCommand{};
  std::vector<Word> words;
  if (!SplitWords(line, words, utf8)) return CommandError::kUnbalancedQuote;
  std::vector<std::string> args;
  for (Word& w : words) {
    if (!w.quoted_start && !w.text.empty() && (w.text[0] == '-' || w.text[0] == '/')) {
      if (!ApplySwitch(std::string_view(w.text).substr(1), out))
        return CommandError::kUnknownSwitch;
    } else {
      args.push_back(std::move(w.text));
    }
  }
  const std::string_view kCommands = "alvtxe";
  if (args.empty() || args[0].size() != 1 ||
      kCommands.find(Lower(args[0][0])) == std::string_view::npos)
    return CommandError::kUnknownCommand;
  out.command = Lower(args[0][0]);
  const bool adding = out.command == 'a';
  if (args.size() < 2 || args[1].empty()) return CommandError::kMissingArchive;
  out.archive = args[1];
  size_t next = 2;
  // Adding needs a name after the base; reading may end with the folder.
  const auto ends_in_backslash = [&](const std::string& w) {
    return utf8 ? w.back() == '\\' : cp932::EndsWithBackslash(w);
  };
  if (args.size() > (adding ? 3u : 2u) && (args[2].empty() || ends_in_backslash(args[2])))
    out.base = args[next++];
  for (; next < args.size(); ++next)
    if (!args[next].empty()) out.names.push_back(args[next]);
  if (adding && out.names.empty()) return CommandError::kMissingNames;
  return CommandError::kNone;
}

}  // namespace yx::lha
