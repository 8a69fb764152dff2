// Where every control of the settings window sits. Client area 411 x 319: a
// 48-pixel strip with the clock and the six buttons, then the page control.
#include "app/settings_form.h"

#include <commctrl.h>

#include "ui/dpi.h"
#include "ui/font.h"

namespace yx::app {
namespace {

constexpr int kClientWidth = kSettingsClientWidth;
constexpr int kClientHeight = kSettingsClientHeight;
constexpr int kStripHeight = 48;
constexpr wchar_t kClassName[] = L"TForm2";

RECT At(int left, int top, int width, int height) {
  return RECT{left, top, left + width, top + height};
}

}  // namespace

void TForm2::MakeFonts(int dpi) {
  ui::RemakeFont(hwnd_, font_, ui::kFacePGothic, 16, false, dpi);
  ui::RemakeFont(hwnd_, clock_font_, ui::kFacePGothic, 21, true, dpi);
  ui::RemakeFont(hwnd_, button_font_, ui::kFacePGothic, 13, false, dpi);
  ui::RemakeFont(hwnd_, grid_font_, ui::kFaceGothic, 16, true, dpi);
  ui::RemakeFont(hwnd_, path_font_, ui::kFacePGothic, 12, false, dpi);
}

void TForm2::Rescale(int dpi, const RECT& suggested) {
  MakeFonts(dpi);
  ui::Relayout(hwnd_, dpi, suggested);
  Page.FitPages();
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void TForm2::CreateWindowAndControls() {
  MakeFonts(ui::SystemDpi());

  RegisterClassOnce(::GetModuleHandleW(nullptr), kClassName,
                    reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));

  // A caption but no title-bar buttons at all, and a border that cannot be
  // dragged: Exit and Minimise are the window's own ways out.
  constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
  CreateCentred(this, ::GetModuleHandleW(nullptr), app_.Handle(), kClassName, L"起動日時設定",
                style, WS_EX_CONTROLPARENT, kClientWidth, kClientHeight);

  CreateTopStrip();
  Page.Create(hwnd_, At(0, kStripHeight, kClientWidth, kClientHeight - kStripHeight),
              ui::AsFont(font_), {"日時", "場所", "除外", "保存", "LOG"});
  CreateTimePage(Page.Page(SheetTime));
  CreatePathPage(Page.Page(SheetPath));
  CreateExclPage(Page.Page(SheetExcl));
  CreateArcPage(Page.Page(SheetArc));
  CreateLogPage(Page.Page(SheetLOG));
  Page.SetActivePage(SheetLOG);
}

void TForm2::CreateTopStrip() {
  LblTimeCaption.Create(hwnd_, "TIME", At(8, 12, 50, 24), ui::AsFont(clock_font_));
  LblTime.Create(hwnd_, "", At(58, 12, 176, 24), ui::AsFont(clock_font_));
  const HFONT f = ui::AsFont(button_font_);
  constexpr int kLeft = 239, kW = 57, kH = 22;
  BtnSet.Create(hwnd_, "保存", At(kLeft, 2, kW, kH), f, ui::Glyph::Save);
  BtnHelp.Create(hwnd_, "ﾍﾙﾌﾟ", At(kLeft + kW, 2, kW, kH), f, ui::Glyph::Help);
  BtnExit.Create(hwnd_, "終了", At(kLeft + 2 * kW, 2, kW, kH), f, ui::Glyph::Exit);
  BtnExec.Create(hwnd_, "実行", At(kLeft, 2 + kH, kW, kH), f, ui::Glyph::Run);
  BtnVer.Create(hwnd_, "VER", At(kLeft + kW, 2 + kH, kW, kH), f, ui::Glyph::Version);
  BtnMin.Create(hwnd_, "最小", At(kLeft + 2 * kW, 2 + kH, kW, kH), f, ui::Glyph::Minimize);
  // The captions stay as they are: the keys are told where the mouse rests.
  Tips.Create(hwnd_);
  Tips.Add(BtnSet, "設定を確かめて保存します (Ctrl+S)");
  Tips.Add(BtnHelp, "使い方を開きます (F1)");
  Tips.Add(BtnExit, "終了します (Alt+F4)");
  Tips.Add(BtnExec, "今すぐバックアップします (F5)");
  Tips.Add(BtnVer, "バージョンを表示します");
  Tips.Add(BtnMin, "最小化します");
}

void TForm2::CreateTimePage(HWND page) {
  const HFONT f = ui::AsFont(font_);
  BoxWeek.Create(page, "起動日", At(6, 2, 292, 164), f);
  ListWeek.Create(page, At(14, 20, 134, 142), f,
                  {"月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日", "日曜日"});
  ListDel.Create(page, At(156, 20, 134, 142), f, std::vector<std::string>(7, "削除対象"));
  // Each check box sits on its frame's top edge as the frame's title.
  BoxTime.Create(page, "", At(304, 2, 96, 234), f);
  ChkTime1.Create(page, "指定時間", At(310, 0, 86, 18), f, true);
  GridTime.Create(page, At(312, 22, 80, 206), ui::AsFont(grid_font_), 20);
  BoxTime2.Create(page, "", At(6, 170, 292, 66), f);
  ChkTime2.Create(page, "定期時間", At(12, 168, 86, 18), f, false);
  LblSatH.Create(page, "時", At(20, 188, 20, 18), f);
  LblSatM.Create(page, "分", At(62, 188, 20, 18), f);
  LblSpanHead.Create(page, "時", At(138, 188, 20, 18), f);
  SpinSatH.Create(page, At(10, 206, 38, 24), f, 0, 23, 0);
  SpinSatM.Create(page, At(52, 206, 38, 24), f, 0, 59, 0);
  LblFrom.Create(page, "から", At(93, 210, 32, 18), f);
  SpinSpan.Create(page, At(127, 206, 38, 24), f, 1, 12, 1);
  LblSpan.Create(page, "時間毎に起動する", At(168, 210, 128, 18), f);
}

void TForm2::CreatePathPage(HWND page) {
  const HFONT f = ui::AsFont(font_);
  const HFONT small = ui::AsFont(path_font_);
  LblTo.Create(page, "Backup先Path", At(8, 4, 200, 18), f);
  EditTo.Create(page, At(8, 22, 388, 22), small);
  LblFromCaption.Create(page, "Backup元Path", At(8, 50, 200, 18), f);
  // Ten rows of 20 pixels do not fit below the field: the grid scrolls.
  EditFrom.Create(page, At(8, 68, 372, 166), small, 20);
}

// The patterns in a grid like the source list's, the buttons and the size
// limit beside it.
void TForm2::CreateExclPage(HWND page) {
  const HFONT f = ui::AsFont(font_);
  const HFONT small = ui::AsFont(path_font_);
  LblExcl.Create(page, "除外するファイル・フォルダ", At(8, 4, 250, 18), f);
  GridExcl.Create(page, At(8, 22, 250, 212), small, 20, settings::kExclusionRows);
  BtnExclCommon.Create(page, "よく使う除外を追加", At(266, 22, 134, 26), ui::AsFont(button_font_));
  BtnExclCheck.Create(page, "確認", At(266, 54, 134, 26), ui::AsFont(button_font_));
  LblExclSize.Create(page, "サイズの上限", At(266, 94, 134, 18), f);
  EditExclSize.Create(page, At(266, 114, 80, 22), small);
  LblExclMb.Create(page, "MB", At(352, 117, 40, 18), f);
  LblExclNote.Create(page, "0 = 上限なし", At(266, 140, 134, 16), small);
  LblExclState.Create(page, "", At(266, 164, 134, 70), small);
}

void TForm2::CreateArcPage(HWND page) {
  const HFONT f = ui::AsFont(font_);
  BoxLha.Create(page, "圧縮", At(6, 2, 392, 48), f);
  ChkLha.Create(page, "Lha圧縮を行う", At(18, 22, 150, 20), f, false);
  LblLhaCaption.Create(page, "UnLha32.dll ：", At(168, 24, 110, 18), f);
  LblLhaVer.Create(page, "", At(278, 24, 116, 18), f);
  // Under the archive mode it does not apply to; the caption needs the
  // page's whole width.
  const RECT area = ui::DesignRect(Page.PageClientRect(), ui::WindowDpi(page));
  ChkLink.Create(page, "変更のないファイルは前回のバックアップと共有する",
                 At(6, 52, area.right - area.left - 6, 20), f, true);

  CreateRetentionGroup(page, 72, {BoxDel, ChkDel, RdoDelD, RdoDelM, SpinDel, LblDel}, "削除",
                       "期限が来たら削除対象データを削除する", 14);
  CreateRetentionGroup(page, 132, {BoxKill, ChkKill, RdoKillD, RdoKillM, SpinKill, LblKill},
                       "強制削除", "期限が来たら強制的に削除する", 30);
  LblWarn.Create(page, "成功したバックアップが", At(6, 195, 160, 18), f);
  SpinWarn.Create(page, At(166, 192, 44, 22), f, 0, 99, 3);
  SpinWarn.BeginGroup();
  // The sentence is too long for one line of the page: it goes on below.
  LblWarnUnit.Create(page, "日より古いと知らせる (0:しない)", At(6, 218, 392, 18), f);
}

// The two deletion rules look alike: a frame, the rule's check box, the day
// and month pair, the count and its unit.
void TForm2::CreateRetentionGroup(HWND page, int top, const RetentionControls& rule,
                                  std::string_view caption, std::string_view check_caption,
                                  int count) {
  const HFONT f = ui::AsFont(font_);
  rule.box.Create(page, caption, At(6, top, 392, 58), f);
  // Clear of the count below it, which begins where this row ends.
  rule.use.Create(page, check_caption, At(18, top + 16, 370, 18), f, false);
  rule.days.Create(page, "日 指定", At(18, top + 36, 80, 20), f, true, true);
  rule.months.Create(page, "月 指定", At(100, top + 36, 80, 20), f, false, false);
  rule.count.Create(page, At(200, top + 34, 50, 22), f, 1, 99, count);
  rule.unit.Create(page, "日保持", At(256, top + 37, 70, 18), f);
  rule.days.SetGroup({&rule.months});
  rule.months.SetGroup({&rule.days});
  // The count begins a group of its own: the arrows move between day and
  // month only.
  rule.count.BeginGroup();
}

void TForm2::CreateLogPage(HWND page) {
  const RECT area = ui::DesignRect(Page.PageClientRect(), ui::WindowDpi(page));
  // One line above the log: when the last good backup was, or the warning.
  LblAge.Create(page, "", At(4, 2, area.right - area.left - 8, 18), ui::AsFont(font_));
  MemoLog.Create(page, At(0, 22, area.right - area.left, area.bottom - area.top - 22),
                 ui::AsFont(font_));
}

}  // namespace yx::app
