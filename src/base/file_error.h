#pragma once
// The one exception the program throws: a file it must read or write cannot
// be. The message is CP932 text for the user, with the file's path in it; the
// command that started the work catches it and reports it.
#include <stdexcept>
#include <string>
#include <string_view>

namespace yx {

class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  // `system_error`: the system's code for why, which the message words too.
  FileError(const std::string& message, unsigned long system_error)
      : std::runtime_error(message), system_error_(system_error) {}
  // 0 when the failure was no system call's.
  [[nodiscard]] unsigned long SystemError() const noexcept { return system_error_; }

 private:
  unsigned long system_error_ = 0;
};

// "%s" in `pattern` is replaced by `path`.
[[nodiscard]] inline FileError MakeFileError(std::string_view pattern, std::string_view path) {
  const size_t at = pattern.find("%s");
  if (at == std::string_view::npos) return FileError(std::string(pattern));
  std::string text(pattern.substr(0, at));
  text.append(path).append(pattern.substr(at + 2));
  return FileError(text);
}

}  // namespace yx
