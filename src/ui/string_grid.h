#pragma once
#include <functional>
#include <vector>

#include "ui/control.h"
#include "ui/window.h"

namespace yx::ui {

// A one-column grid of text rows (ten unless told otherwise) with its cell
// editor always shown on the current row. The texts live here; writing a cell from code raises no
// event, editing one raises on_set_edit_text.
class StringGrid : public Control, private Window<StringGrid> {
 public:
  static constexpr int kRows = 10;
  std::function<void(int col, int row, const std::string& text)> on_set_edit_text;

  void Create(HWND parent, RECT bounds, HFONT font, int row_height, int rows = kRows);
  [[nodiscard]] int Rows() const noexcept { return static_cast<int>(cells_.size()); }
  [[nodiscard]] const std::string& Cell(int row) const {
    return cells_.at(static_cast<size_t>(row));
  }
  void SetCell(int row, std::string_view cp932);
  [[nodiscard]] int Row() const noexcept { return row_; }
  void SetRow(int row);
  [[nodiscard]] HWND EditorHandle() const noexcept { return editor_; }
  // The cell of a row in the grid's client coordinates; empty when scrolled away.
  [[nodiscard]] RECT CellRect(int row) const;

  void OnCommand(WORD code) override;

 private:
  friend class Window<StringGrid>;
  void Attach(HWND hwnd) noexcept { Bind(hwnd); }
  static LRESULT CALLBACK EditorProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Paint();
  void PlaceEditor();
  void ScrollTo(int top);
  [[nodiscard]] int VisibleRows() const;
  // 20 design units a row, by default.
  [[nodiscard]] int RowHeight() const;

  std::vector<std::string> cells_;
  HWND editor_ = nullptr;
  HFONT font_ = nullptr;
  int design_row_height_ = 20;
  int row_ = 0;
  int top_ = 0;
  bool setting_ = false;
};

}  // namespace yx::ui
