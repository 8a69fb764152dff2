#pragma once
// Thin, non-owning wrappers over the Win32 controls the program uses. A
// control finds its wrapper again through a window property, so that the
// parent's window procedure can hand notifications to it.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace yx::ui {

using Event = std::function<void()>;

class Control {
 public:
  Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  [[nodiscard]] HWND Handle() const noexcept { return hwnd_; }
  void SetFont(HFONT font) const;
  void SetFocus() const;
  void SetEnabled(bool enabled) const;
  [[nodiscard]] bool Enabled() const;
  // Marks the first control of a group, as a dialog does: the arrow keys move
  // within a group, never out of it.
  void BeginGroup() const;

  // Notifications from the parent's window procedure.
  virtual void OnCommand(WORD /*code*/) {}
  virtual LRESULT OnNotify(const NMHDR& /*hdr*/) { return 0; }
  virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }

  [[nodiscard]] static Control* FromHandle(HWND hwnd) noexcept;

 protected:
  // Creates the window at `bounds` in design units (ui/dpi.h) and binds it
  // to this wrapper.
  HWND CreateChild(HWND parent, const wchar_t* cls, std::wstring_view text, DWORD style,
                   RECT bounds, DWORD ex_style = 0);
  void Bind(HWND hwnd) noexcept;
  // Lets a second window of a compound control (an arrow pair, an inner
  // editor) reach this wrapper too.
  void BindAlso(HWND other) noexcept;

  HWND hwnd_ = nullptr;
};

// Routes WM_COMMAND, WM_NOTIFY and WM_DRAWITEM of a parent window to the child
// control's wrapper. Returns true when it handled the message. Called from
// behind a window procedure's barrier (ui/window.h), which takes what the
// handlers throw.
bool RouteToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// The answer of an edit control's subclass to WM_GETDLGCODE: the edit's own,
// and Enter kept for the control rather than taken by the dialog manager,
// which would press the window's default button with it.
[[nodiscard]] LRESULT KeepEnterDlgCode(HWND hwnd, WPARAM wp, LPARAM lp) noexcept;

// Sets the text a control shows from CP932 bytes.
void SetWindowTextCp932(HWND hwnd, std::string_view cp932);
[[nodiscard]] std::wstring WindowTextWide(HWND hwnd);

}  // namespace yx::ui
