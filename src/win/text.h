#pragma once
// The one place where text changes encoding. The program's own texts are CP932
// bytes by design; the window shows them through the wide API so that they
// read right whatever code page the machine runs with.
#include <string>
#include <string_view>

namespace yx::win {

inline constexpr unsigned kCodePage932 = 932;

[[nodiscard]] std::wstring ToWide(std::string_view text, unsigned code_page = kCodePage932);

// Characters the code page cannot hold become `replacement`; `lossy`, when
// given, says whether that happened (a file name converted so would name
// another file).
[[nodiscard]] std::string FromWide(std::wstring_view text, unsigned code_page = kCodePage932,
                                   bool* lossy = nullptr, char replacement = '?');

}  // namespace yx::win
