#include "ui/gauge.h"

#include <algorithm>
#include <string>

#include "ui/dpi.h"
#include "win/unique_handle.h"

namespace yx::ui {
namespace {

constexpr wchar_t kClassName[] = L"YorudexGauge";
constexpr COLORREF kBarColour = RGB(0, 0, 255);
constexpr COLORREF kTrackColour = RGB(255, 255, 255);

}  // namespace

void GaugeModel::Clamp() noexcept { progress_ = std::clamp(progress_, min_, max_); }

void GaugeModel::SetMinValue(int32_t value) noexcept {
  min_ = value;
  max_ = std::max(max_, min_);
  Clamp();
}

void GaugeModel::SetMaxValue(int32_t value) noexcept {
  max_ = std::max(value, min_);
  Clamp();
}

void GaugeModel::SetProgress(int32_t value) noexcept {
  progress_ = value;
  Clamp();
}

int GaugeModel::Percent() const noexcept {
  // 64-bit: a file count times 100 passes the 32-bit range.
  const int64_t range = int64_t{max_} - min_;
  if (range == 0) return 0;
  return static_cast<int>((int64_t{progress_} - min_) * 100 / range);
}

int GaugeModel::FilledWidth(int width) const noexcept {
  const int64_t range = int64_t{max_} - min_;
  if (range == 0 || width <= 0) return 0;
  return static_cast<int>((int64_t{progress_} - min_) * width / range);
}

void Gauge::Create(HWND parent, RECT bounds, HFONT font) {
  // The whole face is painted from a memory bitmap: no background erase, no
  // flicker when the bar moves.
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  RegisterClassOnce(instance, kClassName, nullptr);
  font_ = font;
  (void)CreateScaledChild(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, bounds, parent,
                          this);
}

void Gauge::Update(const GaugeModel& before) noexcept {
  if (!hwnd_) return;
  // Repainted only when the text or the bar's edge moves: a copy run sets
  // Progress thousands of times and most settings change no pixel.
  RECT client;
  ::GetClientRect(hwnd_, &client);
  const int width = client.right - client.left;
  if (before.Percent() == model_.Percent() &&
      before.FilledWidth(width) == model_.FilledWidth(width))
    return;
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void Gauge::SetMinValue(int32_t value) noexcept {
  const GaugeModel before = model_;
  model_.SetMinValue(value);
  Update(before);
}

void Gauge::SetMaxValue(int32_t value) noexcept {
  const GaugeModel before = model_;
  model_.SetMaxValue(value);
  Update(before);
}

void Gauge::SetProgress(int32_t value) noexcept {
  const GaugeModel before = model_;
  model_.SetProgress(value);
  Update(before);
}

void Gauge::SetText(std::wstring text) {
  text_ = std::move(text);
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void Gauge::Paint(HDC dc) const noexcept {
  RECT client;
  ::GetClientRect(hwnd_, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;

  const HDC mem = ::CreateCompatibleDC(dc);
  if (!mem) return;
  win::UniqueGdiObject bitmap(::CreateCompatibleBitmap(dc, width, height));
  if (!bitmap) {
    ::DeleteDC(mem);
    return;
  }
  const HGDIOBJ old_bitmap = ::SelectObject(mem, bitmap.get());
  const HGDIOBJ old_font = font_ ? ::SelectObject(mem, font_) : nullptr;

  RECT bar = client;
  bar.right = bar.left + model_.FilledWidth(width);
  RECT track = client;
  track.left = bar.right;
  win::UniqueGdiObject bar_brush(::CreateSolidBrush(kBarColour));
  win::UniqueGdiObject track_brush(::CreateSolidBrush(kTrackColour));
  ::FillRect(mem, &bar, static_cast<HBRUSH>(bar_brush.get()));
  ::FillRect(mem, &track, static_cast<HBRUSH>(track_brush.get()));

  // The text is drawn twice, each time clipped to one side of the bar's edge,
  // so it stays readable where it crosses it: white on blue, blue on white.
  const std::wstring text = text_.empty() ? std::to_wstring(model_.Percent()) + L"%" : text_;
  ::SetBkMode(mem, TRANSPARENT);
  const auto draw_clipped = [&](const RECT& clip, COLORREF colour) {
    if (clip.right <= clip.left) return;
    ::SaveDC(mem);
    ::IntersectClipRect(mem, clip.left, clip.top, clip.right, clip.bottom);
    ::SetTextColor(mem, colour);
    RECT r = client;
    ::DrawTextW(mem, text.c_str(), static_cast<int>(text.size()), &r,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::RestoreDC(mem, -1);
  };
  draw_clipped(bar, kTrackColour);
  draw_clipped(track, kBarColour);

  ::BitBlt(dc, 0, 0, width, height, mem, 0, 0, SRCCOPY);
  if (old_font) ::SelectObject(mem, old_font);
  ::SelectObject(mem, old_bitmap);
  ::DeleteDC(mem);
}

LRESULT Gauge::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) ::InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = ::BeginPaint(hwnd_, &ps);
      if (dc) Paint(dc);
      ::EndPaint(hwnd_, &ps);
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace yx::ui
