#include <shlobj.h>

#include <gtest/gtest.h>

#include "support/form_fixture.h"

namespace yx::test {
namespace {

class DropTest : public FormTest {
 protected:
  void SetUp() override {
    Start();
    form_->Page.SetActivePage(app::SheetPath);
    Pump();
  }

  // Drops the names at the centre of `rect` (in `window`'s client
  // coordinates) as the shell does: UTF-16 names, and the drop point in the
  // client coordinates of the settings window, which registered for drops.
  void DropAt(HWND window, RECT rect, const std::vector<std::wstring>& names) {
    POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ::MapWindowPoints(window, form_->Handle(), &at, 1);
    size_t bytes = sizeof(DROPFILES) + sizeof(wchar_t);
    for (const std::wstring& n : names) bytes += (n.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(::GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->pt = at;
    header->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& n : names) {
      memcpy(p, n.c_str(), (n.size() + 1) * sizeof(wchar_t));
      p += n.size() + 1;
    }
    ::GlobalUnlock(block);
    ::PostMessageW(form_->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    Pump();
  }
  void DropAt(HWND window, RECT rect, const std::vector<std::string>& names) {
    std::vector<std::wstring> wide;
    for (const std::string& n : names) wide.push_back(win::ToWide(n));
    DropAt(window, rect, wide);
  }
  void DropOnDestination(const std::vector<std::string>& names) {
    RECT r;
    ::GetClientRect(form_->EditTo.Handle(), &r);
    DropAt(form_->EditTo.Handle(), r, names);
  }
  void DropOnSources(const std::vector<std::string>& names) {
    // Over a row away from the cell editor, which lies on the current row.
    DropAt(form_->EditFrom.Handle(), form_->EditFrom.CellRect(5), names);
  }
  std::string Folder(const std::wstring& name) { return win::FromWide(dir.MakeFolder(name)); }
};

std::string NoSlash(std::string s) {
  s.pop_back();
  return s;
}

TEST_F(DropTest, TheDestinationTakesTheFirstOfThreeFoldersAsItComes) {
  const std::string a = NoSlash(Folder(L"a")), b = NoSlash(Folder(L"b"));
  DropOnDestination({a, b, NoSlash(Folder(L"c"))});
  EXPECT_EQ(form_->EditTo.Text(), a);
  EXPECT_TRUE(form_->Modified);
}

TEST_F(DropTest, AFileGivesItsFolderWithAFinalBackslash) {
  dir.WriteFile(L"data\\a.txt", "x");
  DropOnSources({dir.PathA() + "data\\a.txt"});
  EXPECT_EQ(form_->EditFrom.Cell(0), dir.PathA() + "data\\");
}

TEST_F(DropTest, RowsFillFromTheFirstEmptyOneOnward) {
  form_->EditFrom.SetCell(0, "r0");
  form_->EditFrom.SetCell(1, "r1");
  form_->EditFrom.SetCell(3, "r3");
  const std::string a = NoSlash(Folder(L"a")), b = NoSlash(Folder(L"b")), c = NoSlash(Folder(L"c"));
  DropOnSources({a, b, c});
  EXPECT_EQ(form_->EditFrom.Cell(1), "r1");
  EXPECT_EQ(form_->EditFrom.Cell(2), a);
  EXPECT_EQ(form_->EditFrom.Cell(3), b);
  EXPECT_EQ(form_->EditFrom.Cell(4), c);
  EXPECT_EQ(form_->EditFrom.Cell(5), "");
}

TEST_F(DropTest, TwelveFoldersFillTenRowsAndAFullGridTakesNothing) {
  std::vector<std::string> names;
  for (int i = 0; i < 12; ++i) names.push_back(NoSlash(Folder(L"f" + std::to_wstring(i))));
  DropOnSources(names);
  for (int row = 0; row < 10; ++row) EXPECT_EQ(form_->EditFrom.Cell(row), names[row]);
  DropOnSources({NoSlash(Folder(L"late"))});
  for (int row = 0; row < 10; ++row) EXPECT_EQ(form_->EditFrom.Cell(row), names[row]);
}

TEST_F(DropTest, ALongNameIsTakenWhole) {
  std::wstring deep = L"d";
  while (deep.size() < 300) deep += L"\\folder_with_a_long_name";
  const std::string name = NoSlash(Folder(deep));
  ASSERT_GT(name.size(), 300u);
  DropOnDestination({name});
  EXPECT_EQ(form_->EditTo.Text(), name);
}

TEST_F(DropTest, ADropDuringARunIsRefused) {
  form_->EditTo.SetText(dir.PathA());
  const std::string a = NoSlash(Folder(L"a"));
  form_->BtnExecClick();
  ASSERT_TRUE(form_->Busy());
  // Taken by the window while the run goes on, before its end comes back.
  DropOnSources({a});
  EXPECT_FALSE(form_->Busy());
  for (int row = 0; row < 10; ++row) EXPECT_EQ(form_->EditFrom.Cell(row), "");
}

TEST_F(DropTest, DropsElsewhereChangeNothing) {
  const std::string a = NoSlash(Folder(L"a"));
  RECT label;
  ::GetClientRect(form_->LblTo.Handle(), &label);
  DropAt(form_->LblTo.Handle(), label, {a});
  form_->Page.SetActivePage(app::SheetArc);
  Pump();
  RECT where{0, 0, 4, 4};
  DropAt(form_->Page.Page(app::SheetArc), where, {a});
  EXPECT_EQ(form_->EditTo.Text(), "");
  for (int row = 0; row < 10; ++row) EXPECT_EQ(form_->EditFrom.Cell(row), "");
  EXPECT_FALSE(form_->Modified);
}

TEST_F(DropTest, ADropOnTheCurrentRowFillsItAndExitAsksToSave) {
  const std::string a = NoSlash(Folder(L"a"));
  RECT editor;
  ::GetClientRect(form_->EditFrom.EditorHandle(), &editor);
  DropAt(form_->EditFrom.EditorHandle(), editor, {a});
  EXPECT_EQ(form_->EditFrom.Cell(0), a);
  dialogs.answer_yes = false;
  Click(form_->BtnExit);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "設定が変更されてます。保存しますか?");
}

TEST_F(DropTest, ANameShiftJisCannotSpellIsRefusedAndNamed) {
  const std::string kept = NoSlash(Folder(L"kept"));
  form_->EditTo.SetText(kept);
  std::wstring cafe = dir.MakeFolder(L"café");
  cafe.pop_back();
  RECT r;
  ::GetClientRect(form_->EditTo.Handle(), &r);
  DropAt(form_->EditTo.Handle(), r, std::vector<std::wstring>{cafe});
  EXPECT_EQ(form_->EditTo.Text(), kept);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].wide_text.find(L"PATH=" + cafe + L"\r\n"), std::wstring::npos);
  EXPECT_NE(dialogs.shown[0].text.find("Shift-JISで表せない"), std::string::npos);
  DropAt(form_->EditFrom.Handle(), form_->EditFrom.CellRect(5),
         std::vector<std::wstring>{win::ToWide(kept), dir.MakeFolder(L"한국")});
  EXPECT_EQ(form_->EditFrom.Cell(0), "") << "the whole drop is refused";
  EXPECT_EQ(dialogs.shown.size(), 2u);
}

}  // namespace
}  // namespace yx::test
