#pragma once
// Linux symbolic links made from a test running under Wine. Wine shows a link
// to a folder as a folder with the reparse-point attribute, but can neither
// make one (CreateSymbolicLinkW reports success and does nothing) nor remove
// one: /bin/ln and /bin/rm do it, and the test waits for their effect.
#include <functional>
#include <string>
#include <vector>

namespace yx::test {

// The Linux path of a Windows path; empty outside Wine.
[[nodiscard]] std::wstring UnixPath(const std::wstring& windows_path);

// Starts the Linux program `program` (a Z: path) with `arguments` and polls
// until `done` holds: Wine hands back no process to wait for. False when it
// cannot start or `done` never holds.
[[nodiscard]] bool RunUnixTool(const std::wstring& program, const std::wstring& arguments,
                               const std::function<bool()>& done);

// Links made for one test, removed again when it ends (before the temporary
// folder that holds them, or a dangling link would keep it from going).
class UnixLinks {
 public:
  UnixLinks() = default;
  UnixLinks(const UnixLinks&) = delete;
  UnixLinks& operator=(const UnixLinks&) = delete;
  ~UnixLinks();

  // A link at the Linux path `link` to the Linux path `target`; `visible` is
  // the link's Windows path, polled until Wine sees it.
  [[nodiscard]] bool Make(const std::wstring& unix_link, const std::wstring& unix_target,
                          const std::wstring& visible);

  // A drive letter of the test's own for a folder, through the Wine prefix's
  // dosdevices folder. Returns "Q:" or the like; empty when none was free.
  [[nodiscard]] std::wstring MakeDrive(const std::wstring& folder);

 private:
  std::vector<std::pair<std::wstring, std::wstring>> made_;  // Linux path, Windows path
};

}  // namespace yx::test
