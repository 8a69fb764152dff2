#pragma once
// Real folders and files for the copier and progress window tests: a fresh
// folder under the temporary folder per test, removed afterwards, and the
// program's progress window on a real application under Xvfb.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "backup/progress_form.h"
#include "support/temp_folder.h"
#include "support/unix_links.h"
#include "ui/application.h"
#include "ui/control.h"

namespace yx::backup::testing {

inline std::wstring LongPath(const std::wstring& path) { return L"\\\\?\\" + path; }

inline DWORD AttributesOf(const std::wstring& path) {
  return ::GetFileAttributesW(LongPath(path).c_str());
}

inline bool Exists(const std::wstring& path) {
  return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

// Bytes of a pattern that depends on `seed`, so two files of one size differ.
inline std::string Pattern(size_t size, unsigned seed = 0) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed * 13) & 0xFF);
  return bytes;
}

inline bool MakeFolder(const std::wstring& path) {
  return ::CreateDirectoryW(LongPath(path).c_str(), nullptr) != FALSE;
}

inline bool WriteFile(const std::wstring& path, size_t size, unsigned seed = 0) {
  try {
    test::WriteWholeFile(path, Pattern(size, seed));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// The whole file, or "<missing>" when it cannot be read.
inline std::string ReadFile(const std::wstring& path) {
  try {
    return test::ReadWholeFile(path);
  } catch (const std::exception&) {
    return "<missing>";
  }
}

// One shown percentage of the gauge, and how many files had been handed to
// the copy when the gauge painted it.
struct GaugePaint {
  int percent;
  int32_t files_copied;
  friend bool operator==(const GaugePaint&, const GaugePaint&) = default;
  friend std::ostream& operator<<(std::ostream& out, const GaugePaint& p) {
    return out << p.percent << "% after " << p.files_copied << " files";
  }
};

// The progress window on a real application, with the settings window's
// cancel flag. Every gauge repaint is recorded from the application's
// message hook, so the tests see the refreshes the way the user does: as
// paints that happen where the run lets messages through.
class ProgressFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<ui::Application>(::GetModuleHandleW(nullptr));
    form_ = std::make_unique<TForm3>(*app_, cancel_);
    ASSERT_NE(form_->Handle(), nullptr);
    // The gauge's refresh by time reads 25 ms more at every reading, once per
    // file copied: it refreshes after every fourth file, whatever the
    // machine's speed.
    form_->SetTicksForTesting([ms = uint64_t{0}]() mutable { return ms += 25; });
    app_->SetMessageHook([this](MSG& msg, bool&) {
      if (msg.message == WM_PAINT && msg.hwnd == form_->Gauge().Handle())
        paints_.push_back({form_->Gauge().Percent(), form_->FilesCopied});
      if (on_message_) on_message_(msg);
    });
  }
  void TearDown() override {
    form_.reset();
    app_.reset();
  }

  // As the run does it: show the window, then let it paint once.
  void Start(bool title_progress = false) {
    form_->StartProgress(title_progress);
    app_->ProcessMessages();
    paints_.clear();
  }

  static std::wstring Text(HWND window) { return ui::WindowTextWide(window); }

  test::TempFolder temp_;
  test::UnixLinks links_;  // removed before the folder that holds them
  bool cancel_ = false;
  std::unique_ptr<ui::Application> app_;
  std::unique_ptr<TForm3> form_;
  std::vector<GaugePaint> paints_;
  std::function<void(MSG&)> on_message_;
};

}  // namespace yx::backup::testing
