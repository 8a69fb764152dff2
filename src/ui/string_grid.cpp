#include "ui/string_grid.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/dpi.h"
#include "win/text.h"

namespace yx::ui {
namespace {
constexpr wchar_t kClassName[] = L"YorudexStringGrid";
}

void StringGrid::Create(HWND parent, RECT r, HFONT font, int row_height, int rows) {
  cells_.assign(static_cast<size_t>(rows), std::string());
  RegisterClassOnce(::GetModuleHandleW(nullptr), kClassName,
                    reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  font_ = font;
  design_row_height_ = row_height;
  // A scroll bar only where the rows do not fit.
  const bool scrolls = (r.bottom - r.top - 4) / row_height < rows;
  (void)CreateScaledChild(
      WS_EX_CLIENTEDGE, kClassName, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | (scrolls ? WS_VSCROLL : 0), r, parent,
      this);
  editor_ = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 0, 0,
                              hwnd_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  ::SendMessageW(editor_, EM_SETLIMITTEXT, 0, 0);
  ::SetWindowSubclass(editor_, &StringGrid::EditorProc, 1, reinterpret_cast<DWORD_PTR>(this));
  ScrollTo(0);
  PlaceEditor();
}

int StringGrid::RowHeight() const { return Scaled(design_row_height_, WindowDpi(hwnd_)); }

int StringGrid::VisibleRows() const {
  RECT c;
  ::GetClientRect(hwnd_, &c);
  return std::max(1, static_cast<int>(c.bottom / RowHeight()));
}

RECT StringGrid::CellRect(int row) const {
  RECT c;
  ::GetClientRect(hwnd_, &c);
  if (row < top_ || row >= top_ + VisibleRows()) return RECT{};
  const int y = (row - top_) * RowHeight();
  return RECT{0, y, c.right, y + RowHeight()};
}

void StringGrid::SetCell(int row, std::string_view cp932) {
  cells_.at(static_cast<size_t>(row)) = std::string(cp932);
  if (row == row_) {
    setting_ = true;
    SetWindowTextCp932(editor_, cells_[static_cast<size_t>(row)]);
    setting_ = false;
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void StringGrid::SetRow(int row) {
  row = std::clamp(row, 0, Rows() - 1);
  if (row == row_) return;
  row_ = row;
  if (row_ < top_)
    ScrollTo(row_);
  else if (row_ >= top_ + VisibleRows())
    ScrollTo(row_ - VisibleRows() + 1);
  setting_ = true;
  SetWindowTextCp932(editor_, cells_[static_cast<size_t>(row_)]);
  setting_ = false;
  PlaceEditor();
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void StringGrid::ScrollTo(int top) {
  top_ = std::clamp(top, 0, std::max(0, Rows() - VisibleRows()));
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = Rows() - 1;
  si.nPage = static_cast<UINT>(VisibleRows());
  si.nPos = top_;
  if (::GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VSCROLL)
    ::SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
  PlaceEditor();
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void StringGrid::PlaceEditor() {
  if (!editor_) return;
  const RECT cell = CellRect(row_);
  if (cell.bottom == 0) {
    ::ShowWindow(editor_, SW_HIDE);
    return;
  }
  ::SetWindowPos(editor_, nullptr, cell.left + 2, cell.top + 2, cell.right - cell.left - 4,
                 cell.bottom - cell.top - 3, SWP_NOZORDER | SWP_SHOWWINDOW);
}

void StringGrid::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  RECT c;
  ::GetClientRect(hwnd_, &c);
  HGDIOBJ old_font = ::SelectObject(dc, font_);
  HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old_pen = ::SelectObject(dc, pen);
  ::SetBkMode(dc, TRANSPARENT);
  for (int row = top_; row < Rows() && row < top_ + VisibleRows() + 1; ++row) {
    const int y = (row - top_) * RowHeight();
    RECT text{3, y, c.right - 2, y + RowHeight() - 1};
    if (row != row_) {
      const std::wstring wide = win::ToWide(cells_[static_cast<size_t>(row)]);
      ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    ::MoveToEx(dc, 0, y + RowHeight() - 1, nullptr);
    ::LineTo(dc, c.right, y + RowHeight() - 1);
  }
  ::SelectObject(dc, old_pen);
  ::DeleteObject(pen);
  ::SelectObject(dc, old_font);
  ::EndPaint(hwnd_, &ps);
}

void StringGrid::OnCommand(WORD code) {
  if (code != EN_CHANGE || setting_) return;
  std::string typed = win::FromWide(WindowTextWide(editor_));
  if (typed == cells_[static_cast<size_t>(row_)]) return;
  cells_[static_cast<size_t>(row_)] = std::move(typed);
  if (on_set_edit_text) on_set_edit_text(0, row_, cells_[static_cast<size_t>(row_)]);
}

LRESULT StringGrid::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lp) == editor_) OnCommand(HIWORD(wp));
      return 0;
    case WM_SETFOCUS:
      ::SetFocus(editor_);
      return 0;
    // Made again for another DPI: the cells and their editor take it.
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wp);
      ::SendMessageW(editor_, WM_SETFONT, wp, lp);
      PlaceEditor();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_LBUTTONDOWN: {
      SetRow(top_ + GET_Y_LPARAM(lp) / RowHeight());
      ::SetFocus(editor_);
      return 0;
    }
    case WM_MOUSEWHEEL:
      ScrollTo(top_ + (GET_WHEEL_DELTA_WPARAM(wp) > 0 ? -1 : 1));
      return 0;
    case WM_VSCROLL: {
      int top = top_;
      switch (LOWORD(wp)) {
        case SB_LINEUP:
          --top;
          break;
        case SB_LINEDOWN:
          ++top;
          break;
        case SB_PAGEUP:
          top -= VisibleRows();
          break;
        case SB_PAGEDOWN:
          top += VisibleRows();
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          top = HIWORD(wp);
          break;
        case SB_TOP:
          top = 0;
          break;
        case SB_BOTTOM:
          top = Rows();
          break;
        default:
          break;
      }
      ScrollTo(top);
      return 0;
    }
    default:
      return ::DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

LRESULT CALLBACK StringGrid::EditorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR ref) noexcept {
  auto* self = reinterpret_cast<StringGrid*>(ref);
  if (msg == WM_KEYDOWN && (wp == VK_UP || wp == VK_DOWN)) {
    return Guarded([&] {
      self->SetRow(self->row_ + (wp == VK_UP ? -1 : 1));
      return LRESULT{0};
    });
  }
  if (msg == WM_GETDLGCODE) return KeepEnterDlgCode(hwnd, wp, lp);
  if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &StringGrid::EditorProc, 1);
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace yx::ui
