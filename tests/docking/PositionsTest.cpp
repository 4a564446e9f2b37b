// Saving and loading where the windows are: the INI text byte for byte, a fresh form loading
// and saving the same bytes, the registry, names without case, other revisions, one
// arrangement per dock, and stored values that are wrong or out of range.
#include "DockTestSupport.h"

#include "classlib/FileUtils.h"
#include "classlib/Registry.h"
#include "classlib/Strings.h"
#include "items/TB2Common.h"

#include <fstream>
#include <sstream>

using dock_tests::DockHost;

namespace {

std::string ReadBytes(const String& File) {
  std::ifstream in(File.c_str(), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteBytes(const String& File, const std::string& Text) {
  std::ofstream out(File.c_str(), std::ios::binary);
  out << Text;
}

// One window's section as the save writes it.
std::string Section(const char* Name, int Visible, const char* DockedTo, const char* LastDock, int Row, int Pos,
                    int FloatLeft, int FloatTop, int ClientWidth, int ClientHeight) {
  std::ostringstream s;
  s << "[" << Name << "]\r\nRev=2000\r\nVisible=" << Visible << "\r\nDockedTo=" << DockedTo << "\r\nLastDock=" << LastDock
    << "\r\nDockRow=" << Row << "\r\nDockPos=" << Pos << "\r\nFloatLeft=" << FloatLeft << "\r\nFloatTop=" << FloatTop
    << "\r\nClientWidth=" << ClientWidth << "\r\nClientHeight=" << ClientHeight << "\r\n";
  return s.str();
}

// Where a window is, as the tests compare it.
struct TPlace {
  bool Visible, Floating;
  std::string Dock;
  int Row, Pos;
  POINT Float;
  int ClientWidth, ClientHeight;
  bool operator==(const TPlace& o) const {
    return Visible == o.Visible && Floating == o.Floating && Dock == o.Dock && Row == o.Row && Pos == o.Pos &&
           Float.x == o.Float.x && Float.y == o.Float.y && ClientWidth == o.ClientWidth && ClientHeight == o.ClientHeight;
  }
};
std::ostream& operator<<(std::ostream& os, const TPlace& p) {
  return os << (p.Visible ? "shown " : "hidden ") << (p.Floating ? "floating " : "") << p.Dock << " " << p.Row << ":"
            << p.Pos << " at " << p.Float.x << "," << p.Float.y << " " << p.ClientWidth << "x" << p.ClientHeight;
}

TPlace PlaceOf(TTBToolWindow* W) {
  return {W->Visible(),  W->Floating(),         W->CurrentDock() ? dock_tests::Narrow(W->CurrentDock()->Name()) : "",
          W->DockRow(),  W->DockPos(),          W->FloatingPosition(),
          W->KeptClientWidth(), W->KeptClientHeight()};
}

std::vector<TPlace> PlacesOf(TDockDemoForm* F) {
  return {PlaceOf(F->Tools), PlaceOf(F->Find), PlaceOf(F->Notes), PlaceOf(F->Output)};
}

// A dock that counts the arrangements it really runs.
class TCountingDock : public TTBDock {
 public:
  using TTBDock::TTBDock;
  int Runs = 0;
  void ArrangeToolbars() override {
    if (UpdateCount() == 0 && !Loading()) ++Runs;
    TTBDock::ArrangeToolbars();
  }
};

class Positions : public DockHost {
 protected:
  String Ini() const { return TempFile(L"positions.ini"); }
  // Another demo form with the same positions file, for loading what this one saved.
  TDockDemoForm* FreshForm() {
    TDockDemoForm::TOptions options;
    options.IniFile = Ini();
    auto* fresh = new TDockDemoForm(Application, options);
    fresh->Show();
    return fresh;
  }
  // Some changes from the demo's start: a window floating, one in another dock's second row, one
  // hidden, one with another client size.
  void Rearrange() {
    form->Notes->SetFloatingPosition({520, 330});
    form->Notes->SetFloating(true);
    form->Output->SetDockRow(1);
    form->Output->SetCurrentDock(form->TopDock);
    form->Find->Hide();
    form->Tools->SetClientAreaSize(210, 24);
  }
};

}  // namespace

TEST_F(Positions, TheIniFileHoldsOneSectionPerNamedWindowInComponentOrder) {
  form->SavePositionsToIni();
  const std::string expected = Section("Tools", 1, "TopDock", "TopDock", 0, 0, 0, 0, 180, 22) +
                               Section("Find", 1, "TopDock", "TopDock", 0, 200, 0, 0, 140, 22) +
                               Section("Notes", 1, "LeftDock", "LeftDock", 0, 0, 0, 0, 140, 200) +
                               Section("Output", 1, "BottomDock", "BottomDock", 0, 0, 0, 0, 300, 60);
  EXPECT_EQ(expected, ReadBytes(Ini()));
  // Floating, hidden, another dock and size.
  DeleteFileW(Ini().c_str());
  Rearrange();
  form->SavePositionsToIni();
  const std::string changed = Section("Tools", 1, "TopDock", "TopDock", 0, 0, 0, 0, 210, 24) +
                              Section("Find", 0, "TopDock", "TopDock", 0, 200, 0, 0, 140, 22) +
                              Section("Notes", 1, "+", "LeftDock", 0, 0, 520, 330, 140, 200) +
                              Section("Output", 1, "TopDock", "TopDock", 1, 0, 0, 0, 300, 60);
  EXPECT_EQ(changed, ReadBytes(Ini()));
}

TEST_F(Positions, AFreshFormLoadingAndSavingAgainWritesTheSameBytes) {
  Rearrange();
  form->SavePositionsToIni();
  const std::string saved = ReadBytes(Ini());
  const std::vector<TPlace> places = PlacesOf(form);
  form->Free();
  form = FreshForm();
  form->LoadPositionsFromIni();
  EXPECT_EQ(places, PlacesOf(form));
  DeleteFileW(Ini().c_str());
  form->SavePositionsToIni();
  EXPECT_EQ(saved, ReadBytes(Ini()));
  EXPECT_TRUE(IsWindowVisible(form->Notes->FloatingParent()->Handle()));
  EXPECT_EQ((RECT{520, 330, 520 + form->Notes->FloatingParent()->Width(), 330 + form->Notes->FloatingParent()->Height()}),
            dock_tests::WindowRect(form->Notes->FloatingParent()->Handle()));
}

TEST_F(Positions, TheRegistryHoldsTheSameUnderOneKeyPerWindowAndALoadCreatesNothing) {
  const String base = L"Software\\Orvane\\DockDemoTest" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                      std::to_wstring(GetTickCount());
  Rearrange();
  TBRegSavePositions(form, HKEY_CURRENT_USER, base);
  {
    TRegistry reg(KEY_READ);
    ASSERT_TRUE(reg.OpenKeyReadOnly(base + L"\\Notes"));
    EXPECT_EQ(L"+", reg.ReadString(L"DockedTo"));
    EXPECT_EQ(520, reg.ReadInteger(L"FloatLeft"));
    EXPECT_EQ(2000, reg.ReadInteger(L"Rev"));
  }
  const std::vector<TPlace> places = PlacesOf(form);
  form->Free();
  form = FreshForm();
  TBRegLoadPositions(form, HKEY_CURRENT_USER, base);
  EXPECT_EQ(places, PlacesOf(form));
  TRegistry reg;
  EXPECT_TRUE(reg.DeleteKey(L"\\" + base));
  // Loading from a key that is not there changes nothing and makes no key.
  const std::vector<TPlace> before = PlacesOf(form);
  TBRegLoadPositions(form, HKEY_CURRENT_USER, base);
  EXPECT_EQ(before, PlacesOf(form));
  EXPECT_FALSE(reg.KeyExists(L"\\" + base));
}

TEST_F(Positions, ASaveThatCannotMakeItsKeyRaisesAndWritesNothingElsewhere) {
  const String base = L"Software\\" + String(300, L'x');
  EXPECT_THROW(TBRegSavePositions(form, HKEY_CURRENT_USER, base), ERegistryException);
  TRegistry reg;
  EXPECT_FALSE(reg.KeyExists(L"\\Tools"));
  EXPECT_FALSE(reg.KeyExists(L"\\Software\\Tools"));
}

TEST_F(Positions, ADockWithoutANameStopsTheSaveBeforeAnythingIsWritten) {
  form->RightDock->SetName(String());
  form->Output->SetCurrentDock(form->RightDock);
  try {
    form->SavePositionsToIni();
    ADD_FAILURE() << "saved";
  } catch (const Exception& e) {
    EXPECT_EQ(String(L"Cannot save dockable window's position because DockedTo's Name property not set"), e.Message());
  }
  EXPECT_FALSE(FileExists(Ini()));
}

TEST_F(Positions, DockNamesMatchWithoutCaseAndOtherRevisionsAreLeftAlone) {
  WriteBytes(Ini(), Section("Tools", 1, "leftDOCK", "", 0, 0, 0, 0, 180, 22) +
                        "[Find]\r\nRev=1999\r\nVisible=0\r\nDockedTo=LeftDock\r\n" +
                        "[Notes]\r\nRev=2000\r\nVisible=1\r\nDockedTo=NoSuchDock\r\n" +
                        "[Output]\r\nRev=2000\r\nVisible=0\r\nDockedTo=\r\n");
  form->LoadPositionsFromIni();
  EXPECT_EQ(form->LeftDock, form->Tools->CurrentDock());
  EXPECT_EQ(form->TopDock, form->Find->CurrentDock());
  EXPECT_TRUE(form->Find->Visible());
  EXPECT_EQ(form->LeftDock, form->Notes->CurrentDock());
  // An empty DockedTo reads nothing more (the visibility is read before it).
  EXPECT_EQ(form->BottomDock, form->Output->CurrentDock());
  EXPECT_FALSE(form->Output->Visible());
}

TEST_F(Positions, EachDockArrangesOnceWhenTheWindowsAreLoaded) {
  auto* top = new TCountingDock(form);
  top->SetName(L"CountingTop");
  top->SetParent(form);
  auto* bottom = new TCountingDock(form);
  bottom->SetName(L"CountingBottom");
  bottom->SetPosition(dpBottom);
  bottom->SetParent(form);
  WriteBytes(Ini(), Section("Tools", 1, "CountingTop", "", 0, 0, 0, 0, 180, 22) +
                        Section("Find", 1, "CountingTop", "", 1, 0, 0, 0, 140, 22) +
                        Section("Notes", 1, "CountingBottom", "", 0, 0, 0, 0, 140, 200) +
                        Section("Output", 1, "CountingBottom", "", 0, 500, 0, 0, 300, 60));
  top->Runs = bottom->Runs = 0;
  form->LoadPositionsFromIni();
  EXPECT_EQ(1, top->Runs);
  EXPECT_EQ(1, bottom->Runs);
  EXPECT_EQ(2, top->ToolbarCount());
  EXPECT_EQ(form->Tools->Height(), form->Find->Top());
}

TEST_F(Positions, StoredValuesOutOfRangeAreKeptInBounds) {
  form->Notes->SetMaxClientWidth(400);
  WriteBytes(Ini(), Section("Tools", 1, "TopDock", "", 2147483647, 2147483647, 0, 0, 180, 22) +
                        Section("Find", 1, "TopDock", "", -5, -2147483647, 0, 0, 140, 22) +
                        Section("Notes", 1, "+", "", 0, 0, -99999, 99999, 100000, -3) +
                        Section("Output", 1, "TopDock", "", 7, 0, 0, 0, 300, 60));
  form->LoadPositionsFromIni();
  EXPECT_EQ(32767, form->Tools->DockPos());
  EXPECT_EQ(0, form->Find->DockRow());
  EXPECT_EQ(-32768, form->Find->DockPos());
  // Rows by rank: Find's row first, then Output's, then Tools'.
  EXPECT_EQ(0, form->Find->PlacedRow());
  EXPECT_EQ(1, form->Output->PlacedRow());
  EXPECT_EQ(2, form->Tools->PlacedRow());
  EXPECT_EQ(400, form->Notes->KeptClientWidth());
  EXPECT_EQ(32, form->Notes->KeptClientHeight());
  // Pulled back onto the screen.
  const RECT frame = dock_tests::WindowRect(form->Notes->FloatingParent()->Handle());
  const RECT area = GetRectOfMonitorContainingRect(frame, true);
  EXPECT_GE(frame.left, area.left);
  EXPECT_LE(frame.bottom, area.bottom);
}

TEST_F(Positions, WindowsOnTheFormOrInAFixedDockAreSavedAsTheyAre) {
  form->Find->SetCurrentDock(nullptr);
  form->BottomDock->SetAllowDrag(false);
  form->SavePositionsToIni();
  const std::string text = ReadBytes(Ini());
  EXPECT_EQ(std::string::npos, text.find("[Find]"));
  EXPECT_NE(std::string::npos, text.find("[Output]\r\nRev=2000\r\nVisible=1\r\nDockedTo=\r\n"));
  // Loaded, the fixed dock's window keeps its place.
  form->Output->SetDockPos(40);
  form->LoadPositionsFromIni();
  EXPECT_EQ(form->BottomDock, form->Output->CurrentDock());
  EXPECT_EQ(40, form->Output->DockPos());
}

TEST_F(Positions, AWindowThatCannotBeResizedKeepsItsSizeButSavesIt) {
  form->Tools->SetResizable(false);
  WriteBytes(Ini(), Section("Tools", 1, "TopDock", "", 0, 0, 0, 0, 250, 40));
  form->LoadPositionsFromIni();
  EXPECT_EQ(180, form->Tools->KeptClientWidth());
  EXPECT_EQ(22, form->Tools->KeptClientHeight());
  DeleteFileW(Ini().c_str());
  form->SavePositionsToIni();
  EXPECT_NE(std::string::npos, ReadBytes(Ini()).find("ClientWidth=180\r\nClientHeight=22\r\n"));
}
