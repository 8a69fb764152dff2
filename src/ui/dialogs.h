#pragma once
// The modal messages the program shows. The settings window reaches them
// through this interface so that tests can answer them without a person.
#include <windows.h>

#include <string>

#include "win/failure.h"

namespace yx::ui {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A plain message: no icon, one OK button.
  virtual void ShowMessage(HWND owner, const std::string& cp932_title,
                           const std::string& cp932_text) = 0;
  // A plain message whose text holds a name the code page cannot spell.
  virtual void ShowWideMessage(HWND owner, const std::string& cp932_title,
                               const std::wstring& text) = 0;
  // An error of the file layer.
  virtual void ShowError(HWND owner, const std::string& cp932_title,
                         const std::string& cp932_text) = 0;
  // A question with Yes (the default) and No; Escape answers No.
  [[nodiscard]] virtual bool AskYesNo(HWND owner, const std::string& cp932_title,
                                      const std::string& cp932_text) = 0;
  // Opens a file in the program the user chose for its kind (the guide in
  // the browser); false with the call that failed.
  [[nodiscard]] virtual bool OpenDocument(HWND owner, const std::wstring& path,
                                          win::Failure& failure) = 0;
};

// The real message boxes.
[[nodiscard]] Dialogs& SystemDialogs();

}  // namespace yx::ui
