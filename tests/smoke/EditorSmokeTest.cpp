// The editor's context menu used as a user would: formatting that survives the program being
// killed, and the web search reaching the browser.
#include "SmokeSupport.h"

using namespace smoke;

namespace {

// Right-clicks into the note's text and waits for the editor's menu; the pointer then goes
// elsewhere, so that only keys choose.
testing::AssertionResult OpenEditorMenu(DWORD pid, HWND note) {
  RECT r;
  GetWindowRect(note, &r);
  RightClickAt({(r.left + r.right) / 2, r.bottom - 40});
  HWND menu = nullptr;
  if (!WaitFor([&] { return (menu = ShownMenu(pid)) != nullptr; }, 5000))
    return testing::AssertionFailure() << "no editor menu";
  RECT m;
  GetWindowRect(menu, &m);
  SetCursorPos(m.right + 100, m.top);
  Sleep(200);
  return testing::AssertionSuccess();
}

// The editor's selection, as the control answers it without pointers.
std::pair<int, int> Selection(HWND editor) {
  DWORD_PTR packed = 0;
  SendMessageTimeoutW(editor, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &packed);
  return {LOWORD(packed), HIWORD(packed)};
}

// Whether the image column of the menu's line `row` of `rows` equal lines holds a mark: some
// column of it changes from top to bottom (a plain line's image column is the same all down).
bool MarkedLine(const TScreenPixels& shown, const RECT& menu, int row, int rows) {
  const int height = (menu.bottom - menu.top) / rows;
  const LONG top = menu.top + row * height + 4, bottom = menu.top + (row + 1) * height - 4;
  for (LONG x = menu.left + 3; x < menu.left + 22; ++x)
    for (LONG y = top + 1; y < bottom; ++y)
      if (shown.At({x, y}) != shown.At({x, top})) return true;
  return false;
}

}  // namespace

TEST_F(Smoke, BoldAndDoubleSpacingFromTheEditorMenuAndTheBoldWordIsBackAfterAKill) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  PROCESS_INFORMATION pi = Start();
  ASSERT_TRUE(WaitFor(TrayShowsIcons, 20000));
  HWND menu = OpenTrayMenu(pi.dwProcessId);
  ASSERT_NE(nullptr, menu) << "no menu after right clicks on the tray icon";
  ClickMenuLine(menu, false);  // "New Note"
  HWND note = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (note = WindowOf(pi.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 10000));
  ASSERT_TRUE(WaitFor([&] { return ShownMenu(pi.dwProcessId) == nullptr; }, 5000));
  ASSERT_TRUE(TypeIntoNote(note, L"buy milk"));
  HWND editor = EditorOf(note);
  for (int i = 0; i < 4; ++i) PressChord({VK_SHIFT, VK_LEFT});
  ASSERT_TRUE(WaitFor([&] { return Selection(editor) == std::pair{4, 8}; }, 3000)) << "\"milk\" is not selected";

  // From the menu's end: Center, Right Justify, Left Justify, Strikeout, Underline, Italic, Bold.
  ASSERT_TRUE(OpenEditorMenu(pi.dwProcessId, note));
  PressKey(VK_END);
  for (int i = 0; i < 6; ++i) PressKey(VK_UP);
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return ShownMenu(pi.dwProcessId) == nullptr; }, 5000)) << "the menu stays";
  CHARFORMAT2W format{};
  ASSERT_TRUE(WaitFor([&] {
    format = CHARFORMAT2W{};
    return RemoteCharFormat(pi.hProcess, editor, format, false) && (format.dwEffects & CFE_BOLD);
  }, 3000)) << "the selection is not bold";

  // One line further up, past the separator: Line Spacing; its last line is "Double".
  auto openLineSpacing = [&] {
    if (!OpenEditorMenu(pi.dwProcessId, note)) return false;
    PressKey(VK_END);
    for (int i = 0; i < 7; ++i) PressKey(VK_UP);
    PressKey(VK_RIGHT);
    return WaitFor([&] { return ShownMenus(pi.dwProcessId).size() == 2; }, 5000);
  };
  ASSERT_TRUE(openLineSpacing()) << "no Line Spacing submenu";
  PressKey(VK_END);
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return ShownMenus(pi.dwProcessId).empty(); }, 5000));
  PARAFORMAT2 paragraph{};
  ASSERT_TRUE(WaitFor([&] {
    paragraph = PARAFORMAT2{};
    return RemoteParaFormat(pi.hProcess, editor, paragraph) && paragraph.bLineSpacingRule == 2;
  }, 3000)) << "rule " << int(paragraph.bLineSpacingRule);
  EXPECT_EQ(40, paragraph.dyLineSpacing);

  // Reopened, the submenu shows "Double" ticked (its first line is the selected one, so the
  // two others are compared).
  ASSERT_TRUE(openLineSpacing()) << "no Line Spacing submenu the second time";
  Sleep(300);
  std::vector<HWND> menus = ShownMenus(pi.dwProcessId);
  ASSERT_EQ(2u, menus.size());
  RECT a, b;
  GetWindowRect(menus[0], &a);
  GetWindowRect(menus[1], &b);
  const RECT submenu = a.left > b.left ? a : b;
  const TScreenPixels shown(submenu);
  EXPECT_FALSE(MarkedLine(shown, submenu, 1, 3)) << "\"One and Half\" is ticked";
  EXPECT_TRUE(MarkedLine(shown, submenu, 2, 3)) << "\"Double\" is not ticked";
  PressKey(VK_ESCAPE);
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitFor([&] { return ShownMenus(pi.dwProcessId).empty(); }, 5000));

  // The formatting raised no change of the control: the command's own autosave writes it.
  const String notes = folder_ + L"Notes\\";
  auto savedBold = [&] {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((notes + L"*.qwn").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    const std::string bytes = FileBytes(notes + fd.cFileName);
    return bytes.find("milk") != std::string::npos && bytes.find("\\b") != std::string::npos;
  };
  ASSERT_TRUE(WaitFor(savedBold, 8000)) << "the bold text was not saved";
  TerminateProcess(pi.hProcess, 9);
  WaitForSingleObject(pi.hProcess, 10000);
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));

  PROCESS_INFORMATION again = Start();
  HWND back = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (back = WindowOf(again.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 20000));
  EXPECT_EQ(L"buy milk", EditorText(back));
  editor = EditorOf(back);
  for (auto [start, bold] : {std::pair{4, true}, {0, false}}) {
    SendMessageTimeoutW(editor, EM_SETSEL, start, start + 3, SMTO_ABORTIFHUNG, 5000, nullptr);
    CHARFORMAT2W read{};
    ASSERT_TRUE(RemoteCharFormat(again.hProcess, editor, read, false));
    EXPECT_EQ(bold, (read.dwEffects & CFE_BOLD) != 0) << start;
  }
  EndCleanly(again);
}

TEST_F(Smoke, TheEditorMenusSearchReachesTheBrowserWithTheEncodedAddress) {
  ASSERT_FALSE(g_recorder.empty()) << "the test needs the recorder program";
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  TSchemeHandler http(L"http", L"\"" + CopyIntoFolder(g_recorder) + L"\" %1");
  ASSERT_TRUE(http.Ok());
  const String notes = folder_ + L"Notes\\";
  ASSERT_TRUE(CreateDirectoryW(notes.c_str(), nullptr));
  PutFile(notes + L"1000.qwn", "\xEF\xBB\xBF" "0001900000C80000C80000C800006499FFFF00\r\nDinner\r\n"
                               "{\\rtf1\\ansi fish & chips}\r\n");
  PROCESS_INFORMATION pi = Start();
  HWND note = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (note = WindowOf(pi.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 20000));
  Sleep(300);
  ASSERT_TRUE(ActivateNote(note));
  PressKey(VK_HOME);
  PressChord({VK_SHIFT, VK_END});
  HWND editor = EditorOf(note);
  ASSERT_TRUE(WaitFor([&] { return Selection(editor) == std::pair{0, 12}; }, 3000)) << "not all selected";
  // From the top: Undo, Cut, Copy, Paste, Delete, Insert Date and Time, then the search.
  ASSERT_TRUE(OpenEditorMenu(pi.dwProcessId, note));
  PressKey(VK_HOME);
  for (int i = 0; i < 6; ++i) PressKey(VK_DOWN);
  PressKey(VK_RETURN);
  std::vector<String> args;
  ASSERT_TRUE(RecordedArguments(args)) << "the browser was not started";
  ASSERT_EQ(2u, args.size());
  EXPECT_EQ(L"http://www.google.com/cse?cx=quillnote-example-search&ie=UTF-8&q=fish%20%26%20chips&sa=Search", args[1]);
  EndCleanly(pi);
}
