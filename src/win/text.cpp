#include "win/text.h"

#include <windows.h>

#include <limits>
#include <stdexcept>

namespace yx::win {
namespace {

int CheckedSize(size_t n) {
  if (n > static_cast<size_t>(std::numeric_limits<int>::max()))
    throw std::length_error("text too long to convert");
  return static_cast<int>(n);
}

}  // namespace

std::wstring ToWide(std::string_view text, unsigned code_page) {
  if (text.empty()) return {};
  const int in = CheckedSize(text.size());
  const int n = ::MultiByteToWideChar(code_page, 0, text.data(), in, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(code_page, 0, text.data(), in, out.data(), n);
  return out;
}

std::string FromWide(std::wstring_view text, unsigned code_page, bool* lossy, char replacement) {
  if (lossy) *lossy = false;
  if (text.empty()) return {};
  const int in = CheckedSize(text.size());
  BOOL used_default = FALSE;
  // Best-fit would quietly turn é into e: a different, existing name.
  const DWORD flags = WC_NO_BEST_FIT_CHARS;
  const int n =
      ::WideCharToMultiByte(code_page, flags, text.data(), in, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  const char fallback[2] = {replacement, '\0'};
  ::WideCharToMultiByte(code_page, flags, text.data(), in, out.data(), n, fallback, &used_default);
  if (lossy) *lossy = used_default != FALSE;
  return out;
}

}  // namespace yx::win
