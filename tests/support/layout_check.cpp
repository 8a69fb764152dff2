#include "support/layout_check.h"

#include "win/text.h"

namespace yx::test {
namespace {

std::string Describe(HWND hwnd) {
  wchar_t cls[64] = {}, text[64] = {};
  ::GetClassNameW(hwnd, cls, 64);
  ::GetWindowTextW(hwnd, text, 64);
  return win::FromWide(std::wstring(cls) + L" \"" + text + L"\"");
}

bool IsFrame(HWND hwnd) {
  wchar_t cls[16] = {};
  ::GetClassNameW(hwnd, cls, 16);
  const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  return (::lstrcmpiW(cls, L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX) ||
         ::lstrcmpW(cls, L"YorudexPage") == 0;
}

void Check(HWND parent, std::vector<std::string>& faults) {
  RECT client;
  ::GetClientRect(parent, &client);
  std::vector<std::pair<HWND, RECT>> children;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
      faults.push_back(Describe(child) + " outside " + Describe(parent));
    for (const auto& [other, o] : children) {
      RECT both;
      if (!IsFrame(child) && !IsFrame(other) && ::IntersectRect(&both, &r, &o))
        faults.push_back(Describe(child) + " on " + Describe(other));
    }
    children.emplace_back(child, r);
    Check(child, faults);
  }
}

}  // namespace

std::vector<std::string> LayoutFaults(HWND parent) {
  std::vector<std::string> faults;
  Check(parent, faults);
  return faults;
}

}  // namespace yx::test
