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

  // Drops the CP932 names with the pointer over the centre of `rect` (in
  // `window`'s client coordinates), as the shell does.
  void DropAt(HWND window, RECT rect, const std::vector<std::string>& names) {
    POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ::ClientToScreen(window, &at);
    ::SetCursorPos(at.x, at.y);
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& n : names) bytes += n.size() + 1;
    HGLOBAL block = ::GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(::GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* p = reinterpret_cast<char*>(header) + sizeof(DROPFILES);
    for (const std::string& n : names) {
      memcpy(p, n.c_str(), n.size() + 1);
      p += n.size() + 1;
    }
    ::GlobalUnlock(block);
    ::PostMessageW(form_->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    Pump();
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
  EXPECT_FALSE(form_->Modified) << "writing grid cells raises no event";
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

TEST_F(DropTest, DropsElsewhereChangeNothing) {
  const std::string a = NoSlash(Folder(L"a"));
  RECT editor;
  ::GetClientRect(form_->EditFrom.EditorHandle(), &editor);
  DropAt(form_->EditFrom.EditorHandle(), editor, {a});
  EXPECT_EQ(form_->EditFrom.Cell(0), "");
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

TEST_F(DropTest, AfterADropOnTheGridAloneExitClosesWithoutAsking) {
  DropOnSources({NoSlash(Folder(L"a"))});
  Click(form_->SpeedButton1);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_FALSE(FormOpen());
}

}  // namespace
}  // namespace yx::test
