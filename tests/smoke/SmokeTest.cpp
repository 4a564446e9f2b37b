// Starts the built program as a user would, sees its tray icon come up and ends it cleanly;
// notes typed, menus chosen, the About box and the mail link, each through real input.
#include "SmokeSupport.h"

using namespace smoke;

TEST_F(Smoke, StartsInTheTrayAndEndsCleanly) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000)) << "a tray icon is up before the start";
  WriteOfflineSettings();
  PROCESS_INFORMATION pi = Start();
  HWND main = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (main = MainFormOf(pi.dwProcessId)) != nullptr; }, 20000));
  EXPECT_TRUE(WaitFor(TrayShowsIcons, 10000));
  wchar_t caption[64] = {};
  EXPECT_TRUE(WaitFor([&] { return GetWindowTextW(main, caption, 64) > 0; }, 5000));
  EXPECT_STREQ(L"Quillnote1.5.0.0", caption);
  EXPECT_FALSE(IsWindowVisible(main));

  // Closing the main form ends the message loop; the icon goes and the mutex is released.
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 15000));
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"quillnote");
  EXPECT_EQ(nullptr, mutex);
  if (mutex) CloseHandle(mutex);
}

TEST_F(Smoke, ANoteTypedByAUserIsBackAfterTheProgramWasKilled) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  PROCESS_INFORMATION pi = Start();
  ASSERT_TRUE(WaitFor(TrayShowsIcons, 20000));
  const POINT icon = TrayIconPoint();
  HWND note = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    if (!note) DoubleClickAt(icon);
    return (note = WindowOf(pi.dwProcessId, L"TFR_NOTE", true)) != nullptr;
  }, 15000)) << "no note after double clicks on the tray icon";
  RECT placed;
  GetWindowRect(note, &placed);
  ASSERT_TRUE(TypeIntoNote(note, L"Milk and bread"));
  // Past the two seconds of the autosave, the file holds the text.
  String notes = folder_ + L"Notes\\";
  auto savedText = [&] {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((notes + L"*.qwn").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    HANDLE file = CreateFileW((notes + fd.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[8192] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
    CloseHandle(file);
    return strstr(buffer, "Milk and bread") != nullptr;
  };
  ASSERT_TRUE(WaitFor(savedText, 8000));

  TerminateProcess(pi.hProcess, 9);  // the program ends abruptly
  WaitForSingleObject(pi.hProcess, 10000);
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));

  PROCESS_INFORMATION again = Start();
  HWND back = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (back = WindowOf(again.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 20000));
  RECT where;
  GetWindowRect(back, &where);
  EXPECT_EQ(placed.left, where.left);
  EXPECT_EQ(placed.top, where.top);
  EXPECT_EQ(placed.right, where.right);
  EXPECT_EQ(placed.bottom, where.bottom);
  EXPECT_EQ(L"Milk and bread", EditorText(back));
  EndCleanly(again);
}

TEST_F(Smoke, TwoCopiesStartedTogetherDoNotBothRun) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  PROCESS_INFORMATION a = Start();
  PROCESS_INFORMATION b = Start();
  // One of them warns and waits for its box to be closed; the other runs.
  HWND box = nullptr;
  DWORD warned = 0;
  ASSERT_TRUE(WaitFor([&] {
    for (const PROCESS_INFORMATION* p : {&a, &b})
      if ((box = WindowOf(p->dwProcessId, L"#32770", true)) != nullptr) {
        warned = p->dwProcessId;
        return true;
      }
    return false;
  }, 20000));
  wchar_t caption[64] = {};
  GetWindowTextW(box, caption, 64);
  EXPECT_STREQ(L"Warning", caption);
  const PROCESS_INFORMATION& second = warned == a.dwProcessId ? a : b;
  const PROCESS_INFORMATION& first = warned == a.dwProcessId ? b : a;
  EXPECT_EQ(nullptr, MainFormOf(second.dwProcessId));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second.hProcess, 10000));
  DWORD code = 1;
  GetExitCodeProcess(second.hProcess, &code);
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(WaitFor([&] { return MainFormOf(first.dwProcessId) != nullptr; }, 20000));
  EndCleanly(first);
}

TEST_F(Smoke, SavedNotesComeBackOnTopBoldAndSafeFromAHostileFile) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  const String notes = folder_ + L"Notes\\";
  ASSERT_TRUE(CreateDirectoryW(notes.c_str(), nullptr));
  const std::string bom = "\xEF\xBB\xBF";
  PutFile(notes + L"1000.qwn", bom + "0000640000640000C80000C800006499FFFF01\r\nOn top\r\n{\\rtf1\\ansi Above all}\r\n");
  // Nested deeper than the system's editor survives: the program must not hand it over.
  const std::string hostile = bom + "0001900000640000C80000C800006499FFFF00\r\nDeep\r\n{\\rtf1 " +
                              std::string(40, '{') + "Deep" + std::string(40, '}') + "}\r\n";
  PutFile(notes + L"2000.qwn", hostile);
  PutFile(notes + L"3000.qwn", bom + "0002BC0000640000C80000C800006499FFFF00\r\nPlain\r\n{\\rtf1\\ansi Make this bold}\r\n");

  PROCESS_INFORMATION pi = Start();
  std::vector<HWND> shown;
  ASSERT_TRUE(WaitFor([&] { return (shown = VisibleNotes(pi.dwProcessId)).size() == 2; }, 20000))
      << shown.size() << " notes shown";
  Sleep(500);
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(pi.hProcess, 0)) << "the program ended";
  ASSERT_EQ(2u, VisibleNotes(pi.dwProcessId).size());
  HWND onTop = nullptr, plain = nullptr;
  for (HWND note : shown) (EditorText(note) == L"Above all" ? onTop : plain) = note;
  ASSERT_NE(nullptr, onTop);
  ASSERT_NE(nullptr, plain);
  EXPECT_EQ(L"Make this bold", EditorText(plain));
  EXPECT_TRUE(GetWindowLongPtrW(onTop, GWL_EXSTYLE) & WS_EX_TOPMOST);

  // A word made bold through the editor, then the note closed.
  HWND editor = EditorOf(plain);
  SendMessageTimeoutW(editor, EM_SETSEL, 0, 4, SMTO_ABORTIFHUNG, 5000, nullptr);
  CHARFORMAT2W bold{};
  bold.dwMask = CFM_BOLD;
  bold.dwEffects = CFE_BOLD;
  ASSERT_TRUE(RemoteCharFormat(pi.hProcess, editor, bold, true));
  PostMessageW(plain, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return VisibleNotes(pi.dwProcessId).size() == 1; }, 10000));
  EndCleanly(pi);
  EXPECT_EQ(hostile, FileBytes(notes + L"2000.qwn"));

  PROCESS_INFORMATION again = Start();
  ASSERT_TRUE(WaitFor([&] { return (shown = VisibleNotes(again.dwProcessId)).size() == 2; }, 20000));
  HWND back = nullptr;
  for (HWND note : shown)
    if (EditorText(note) == L"Make this bold") back = note;
  ASSERT_NE(nullptr, back);
  for (HWND note : shown) {
    if (note == back) continue;
    EXPECT_TRUE(GetWindowLongPtrW(note, GWL_EXSTYLE) & WS_EX_TOPMOST);
  }
  editor = EditorOf(back);
  for (auto [start, isBold] : {std::pair{0, true}, {5, false}}) {
    SendMessageTimeoutW(editor, EM_SETSEL, start, start + 4, SMTO_ABORTIFHUNG, 5000, nullptr);
    CHARFORMAT2W read{};
    ASSERT_TRUE(RemoteCharFormat(again.hProcess, editor, read, false));
    EXPECT_EQ(isBold, (read.dwEffects & CFE_BOLD) != 0) << start;
  }
  EndCleanly(again);
  EXPECT_EQ(hostile, FileBytes(notes + L"2000.qwn"));
}

TEST_F(Smoke, ANewUserMakesANoteFromTheTrayMenuAndEndsTheProgramThroughIt) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  PROCESS_INFORMATION pi = Start();
  ASSERT_TRUE(WaitFor(TrayShowsIcons, 20000));
  ASSERT_EQ(nullptr, ShownMenu(pi.dwProcessId));
  HWND menu = OpenTrayMenu(pi.dwProcessId);
  ASSERT_NE(nullptr, menu) << "no menu after right clicks on the tray icon";
  ClickMenuLine(menu, false);  // "New Note"
  HWND note = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (note = WindowOf(pi.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 10000))
      << "no note after choosing the menu's first line";
  EXPECT_TRUE(WaitFor([&] { return ShownMenu(pi.dwProcessId) == nullptr; }, 5000)) << "the menu stays";

  RECT placed;
  GetWindowRect(note, &placed);
  ASSERT_TRUE(TypeIntoNote(note, L"Buy stamps"));

  menu = OpenTrayMenu(pi.dwProcessId);
  ASSERT_NE(nullptr, menu) << "no menu the second time";
  ClickMenuLine(menu, true);  // "Exit"
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 15000)) << "Exit did not end the program";
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(0u, code);
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));

  PROCESS_INFORMATION again = Start();
  HWND back = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (back = WindowOf(again.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 20000))
      << "the note is not back at the next start";
  EXPECT_EQ(L"Buy stamps", EditorText(back));
  RECT where;
  GetWindowRect(back, &where);
  EXPECT_EQ(placed.left, where.left);
  EXPECT_EQ(placed.top, where.top);
  EndCleanly(again);
}

TEST_F(Smoke, TheNoteColorSubmenuShowsTheNotesColourAndRoseRecoloursTheNoteAsTheMenuCloses) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  const String notes = folder_ + L"Notes\\";
  ASSERT_TRUE(CreateDirectoryW(notes.c_str(), nullptr));
  // A note in "Light Yellow" at (400, 200), 200 x 200.
  PutFile(notes + L"1000.qwn", "\xEF\xBB\xBF" "0001900000C80000C80000C800006499FFFF00\r\nShopping\r\n"
                               "{\\rtf1\\ansi Milk and bread}\r\n");
  PROCESS_INFORMATION pi = Start();
  HWND note = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (note = WindowOf(pi.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 20000));
  Sleep(300);

  ASSERT_TRUE(OpenNoteMenu(pi.dwProcessId, note));
  // New Note, Always On Top, then Color; Right opens it. Were the change handler run as it
  // opens, the note would hide and the menu end with it.
  for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT}) PressKey(key);
  std::vector<HWND> menus;
  ASSERT_TRUE(WaitFor([&] { return (menus = ShownMenus(pi.dwProcessId)).size() == 2; }, 5000))
      << "no Color submenu";
  Sleep(300);
  ASSERT_EQ(ShownMenus(pi.dwProcessId).size(), 2u) << "the submenu did not stay";
  RECT a, b;
  GetWindowRect(menus[0], &a);
  GetWindowRect(menus[1], &b);
  const RECT submenu = a.left > b.left ? a : b;  // it opens to the right of the menu

  // The note colours, 8 x 3, each an 18 x 18 cell with a framed 12 x 12 swatch; the swatch of the
  // note's colour is found on the screen and the others lie at their places from it.
  struct TCell {
    const wchar_t* name;
    COLORREF rgb;
  };
  const TCell cells[3][8] = {
      {{L"Red", RGB(0xFF, 0, 0)}, {L"Light Orange", RGB(0xFF, 0x99, 0)}, {L"Lime", RGB(0x99, 0xCC, 0)},
       {L"Sea Green", RGB(0x33, 0x99, 0x66)}, {L"Aqua", RGB(0x33, 0xCC, 0xCC)},
       {L"Light Blue", RGB(0x33, 0x66, 0xFF)}, {L"Violet", RGB(0x80, 0, 0x80)}, {L"Dark Gray", RGB(0x96, 0x96, 0x96)}},
      {{L"Pink", RGB(0xFF, 0, 0xFF)}, {L"Gold", RGB(0xFF, 0xCC, 0)}, {L"Yellow", RGB(0xFF, 0xFF, 0)},
       {L"Bright Green", RGB(0, 0xFF, 0)}, {L"Turquoise", RGB(0, 0xFF, 0xFF)}, {L"Sky Blue", RGB(0, 0xCC, 0xFF)},
       {L"Plum", RGB(0x99, 0x33, 0x66)}, {L"Light Gray", RGB(0xC0, 0xC0, 0xC0)}},
      {{L"Rose", RGB(0xFF, 0x99, 0xCC)}, {L"Tan", RGB(0xFF, 0xCC, 0x99)}, {L"Light Yellow", RGB(0xFF, 0xFF, 0x99)},
       {L"Light Green", RGB(0xCC, 0xFF, 0xCC)}, {L"Light Turquoise", RGB(0xCC, 0xFF, 0xFF)},
       {L"Pale Blue", RGB(0x99, 0xCC, 0xFF)}, {L"Lavender", RGB(0xCC, 0x99, 0xFF)}, {L"White", RGB(0xFF, 0xFF, 0xFF)}},
  };
  const TScreenPixels shown(submenu);
  const POINT lightYellow = shown.Find(cells[2][2].rgb);  // the top left of its swatch
  ASSERT_GE(lightYellow.x, 0) << "no Light Yellow swatch";
  auto swatch = [&](int col, int row) { return POINT{lightYellow.x + (col - 2) * 18, lightYellow.y + (row - 2) * 18}; };
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 8; ++col) {
      const POINT p = swatch(col, row);
      EXPECT_EQ(shown.At(p), cells[row][col].rgb) << col << "," << row;
      EXPECT_EQ(shown.At({p.x + 9, p.y + 9}), cells[row][col].rgb) << col << "," << row;
      EXPECT_NE(shown.At({p.x - 1, p.y}), cells[row][col].rgb) << col << "," << row << ": framed";
    }
  // The note's colour is the selected cell: its button differs from the others around the swatch.
  const POINT selectedEdge{lightYellow.x - 4, lightYellow.y - 4};
  for (int col : {1, 3}) EXPECT_NE(shown.At(selectedEdge), shown.At({swatch(col, 2).x - 4, selectedEdge.y})) << col;
  // Opening ran no change: the note keeps its colours.
  RECT noteRect;
  GetWindowRect(note, &noteRect);
  const POINT editorPoint{noteRect.left + 100, noteRect.top + 150};
  const POINT barPoint{noteRect.left + 3, noteRect.top + 10};
  {
    const TScreenPixels noteNow(noteRect);
    EXPECT_EQ(noteNow.At(editorPoint), RGB(0xFF, 0xFF, 0x99));
    EXPECT_EQ(noteNow.At(barPoint), RGB(0xFA, 0xFA, 0x94));
  }

  // Each cell's hint is its name.
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 8; ++col) {
      const POINT p = swatch(col, row);
      SetCursorPos(p.x + 5, p.y + 5);
      HWND hint = nullptr;
      EXPECT_TRUE(WaitFor([&] {
        hint = WindowOf(pi.dwProcessId, L"QuillnoteHint", true);
        return hint && WindowText(hint) == cells[row][col].name;
      }, 3000)) << col << "," << row << ": " << testing::PrintToString(hint ? WindowText(hint) : String());
    }

  // "Rose": the note takes it and the menu closes.
  const POINT rose = swatch(0, 2);
  ClickAt({rose.x + 5, rose.y + 5});
  EXPECT_TRUE(WaitFor([&] { return ShownMenus(pi.dwProcessId).empty(); }, 5000)) << "the menu stays";
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(note) != FALSE; }, 5000));
  Sleep(300);
  const TScreenPixels recoloured(noteRect);
  EXPECT_EQ(recoloured.At(editorPoint), RGB(0xFF, 0x99, 0xCC));
  EXPECT_EQ(recoloured.At(barPoint), RGB(0xFA, 0x94, 0xC7));
  EndCleanly(pi);
}

TEST_F(Smoke, AboutFromTheTrayMenuShowsTheVersion) {
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(StartOffline(pi));
  // From the end: Exit, the two Visit lines, then About.
  ASSERT_TRUE(ChooseFromTheTrayMenusEnd(pi.dwProcessId, 3));
  HWND about = AwaitShown(pi.dwProcessId, L"TFR_ABOUT");
  ASSERT_NE(nullptr, about) << "no About box";
  EXPECT_EQ(L"About", WindowText(about));
  Sleep(500);
  RECT area;
  GetWindowRect(about, &area);
  const TScreenPixels shown(area);
  // The version's text is drawn in the box; another version's is not.
  auto shows = [&](const String& text) {
    const TTextPixels pattern(text);
    for (LONG y = area.top; y + pattern.Height() <= area.bottom; ++y)
      for (LONG x = area.left; x + pattern.Width() <= area.right; ++x) {
        bool same = true;
        for (int py = 0; same && py < pattern.Height(); ++py)
          for (int px = 0; same && px < pattern.Width(); ++px)
            same = shown.At({x + px, y + py}) == pattern.At(px, py);
        if (same) return true;
      }
    return false;
  };
  EXPECT_TRUE(shows(L"Version 1.5.0.0"));
  EXPECT_FALSE(shows(L"Version 1.4.0.0"));
  // OK closes it, and the program goes on.
  ASSERT_TRUE(ClickButton(about, L"OK"));
  EXPECT_TRUE(WaitFor([&] { return WindowOf(pi.dwProcessId, L"TFR_ABOUT") == nullptr; }, 10000)) << "the box stays";
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(pi.hProcess, 0));
  EndCleanly(pi);
}

TEST_F(Smoke, SendMailFromTheNoteMenuReachesTheMailProgramWithTheEncodedAddress) {
  ASSERT_FALSE(g_recorder.empty()) << "the test needs the recorder program";
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  TSchemeHandler mailto(L"mailto", L"\"" + CopyIntoFolder(g_recorder) + L"\" %1");
  ASSERT_TRUE(mailto.Ok());
  const String notes = folder_ + L"Notes\\";
  ASSERT_TRUE(CreateDirectoryW(notes.c_str(), nullptr));
  PutFile(notes + L"1000.qwn", "\xEF\xBB\xBF" "0001900000C80000C80000C800006499FFFF00\r\nShopping\r\n"
                               "{\\rtf1\\ansi milk\\par eggs}\r\n");
  PROCESS_INFORMATION pi = Start();
  HWND note = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (note = WindowOf(pi.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 20000));
  ASSERT_EQ(L"milk\r\neggs", EditorText(note));
  Sleep(300);
  // From the menu's last line (Close): Tweet This!, then Send Mail.
  ASSERT_TRUE(OpenNoteMenu(pi.dwProcessId, note));
  for (WORD key : {VK_END, VK_UP, VK_UP, VK_RETURN}) PressKey(key);
  std::vector<String> args;
  ASSERT_TRUE(RecordedArguments(args)) << "the mail program was not started";
  ASSERT_EQ(2u, args.size());
  EXPECT_EQ(L"mailto:?subject=Shopping&body=milk%0D%0Aeggs", args[1]);
  EndCleanly(pi);
}

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: test_smoke <Quillnote.exe> [<UrlRecorder.exe> [<QuillnoteAtSite.exe>]]\n");
    return 2;
  }
  g_exe = argv[1];
  if (argc >= 3) g_recorder = argv[2];
  if (argc >= 4) g_atSite = argv[3];
  return RUN_ALL_TESTS();
}
