#pragma once
// Where the controls of a window lie, as a user would see a fault in them.
#include <windows.h>

#include <string>
#include <vector>

namespace yx::test {

// One line per child outside its parent's client area and per two children
// of one parent on one another, at every depth below `parent`. Group boxes
// frame controls and the pages of a tab control lie on one another, so
// those two are never "on" anything.
[[nodiscard]] std::vector<std::string> LayoutFaults(HWND parent);

}  // namespace yx::test
