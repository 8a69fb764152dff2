#pragma once
#include <vector>

#include "ui/control.h"

namespace yx::ui {

// Clicked by the user or set from code: the click event fires only when the
// state really changes.
class CheckBox : public Control {
 public:
  Event on_click;

  void Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font, bool checked);
  [[nodiscard]] bool Checked() const noexcept { return checked_; }
  void SetChecked(bool checked);

  void OnCommand(WORD code) override;

 private:
  bool checked_ = false;
};

// One button of a group whose members exclude each other. The click event
// fires only when the button becomes checked, by the user or by code.
class RadioButton : public Control {
 public:
  Event on_click;

  void Create(HWND parent, std::string_view cp932_caption, RECT bounds, HFONT font, bool checked,
              bool first_of_group);
  // The other members of its group.
  void SetGroup(std::vector<RadioButton*> others) { others_ = std::move(others); }
  [[nodiscard]] bool Checked() const noexcept { return checked_; }
  void SetChecked(bool checked);

  void OnCommand(WORD code) override;

 private:
  void Show() const;
  bool checked_ = false;
  std::vector<RadioButton*> others_;
};

}  // namespace yx::ui
