#include "AppFixture.h"

using namespace app_testing;

namespace {
const char kFirstRun[] =
    "Color=10092543\r\nOpacity=100\r\nTitle=0\r\nCheckForUpdates=1\r\nDeleteConfirm=0\r\n"
    "FontName=Tahoma\r\nFontSize=10\r\nFontColor=0\r\nFontStyle=0\r\nAlwaysOnTop=0\r\n";
}

using SettingsTest = AppTest;

TEST_F(SettingsTest, AFirstRunWritesTheDefaults) {
  CreateMainForm();
  EXPECT_EQ(kFirstRun, ReadBytes(SettingsFile()));
  EXPECT_FALSE(main_->DeleteConfirm);
  EXPECT_TRUE(DirectoryExists(NotesFolder()));
  EXPECT_TRUE(testing_support::MessageBoxes().Boxes.empty());
  // Written again unchanged, the same bytes.
  main_->SaveSettings();
  EXPECT_EQ(kFirstRun, ReadBytes(SettingsFile()));
}

TEST_F(SettingsTest, ValuesAreReadAsTheFileHasThem) {
  struct Case {
    const char* file;
    int opacity;
    bool deleteConfirm;
    bool alwaysOnTop;
    int color;
  } cases[] = {
      {"Opacity=50\r\n", 50, true, false, 0x99FFFF},
      {"DeleteConfirm=True\r\n", 100, true, false, 0x99FFFF},
      {"DeleteConfirm=-1\r\nAlwaysOnTop=-1\r\n", 100, true, true, 0x99FFFF},
      {"DeleteConfirm=0\r\nAlwaysOnTop=0\r\n", 100, false, false, 0x99FFFF},
      {"DeleteConfirm=False\r\nAlwaysOnTop=1\r\n", 100, false, true, 0x99FFFF},
      {"Color=255\r\nOpacity=5\r\n", 5, true, false, 255},  // no range is imposed on reading
      {"Color=   \r\nOpacity=\r\n", 100, true, false, 0x99FFFF},  // blank counts as absent
      {"color=0x10\r\n", 100, true, false, 16},
      // A value that does not convert ends the reading: keys after it keep the defaults.
      {"Color=1\r\nOpacity=abc\r\nDeleteConfirm=-1\r\nAlwaysOnTop=-1\r\n", 100, false, false, 1},
      {"Color=1\r\nDeleteConfirm=maybe\r\nAlwaysOnTop=-1\r\n", 100, false, false, 1},
      {"", 100, true, false, 0x99FFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    WriteBytes(SettingsFile(), c.file);
    CreateMainForm();
    EXPECT_EQ(c.opacity, main_->DefOpacity);
    EXPECT_EQ(c.deleteConfirm, main_->DeleteConfirm);
    EXPECT_EQ(c.alwaysOnTop, main_->DefAlwaysOnTop);
    EXPECT_EQ(c.color, main_->DefColor);
    EXPECT_EQ(c.file, ReadBytes(SettingsFile()));  // reading never rewrites the file
    main_->Free();
    main_ = nullptr;
  }
}

TEST_F(SettingsTest, KeysAreWrittenInTheirOrderAndAnEmptyFontNameIsLeftOut) {
  CreateMainForm();
  main_->DefFontName = L"";
  main_->DefOpacity = 30;
  main_->DeleteConfirm = true;
  main_->DefAlwaysOnTop = true;
  main_->DefFontStyle = fsBold | fsItalic;
  main_->SaveSettings();
  EXPECT_EQ(
      "Color=10092543\r\nOpacity=30\r\nTitle=0\r\nCheckForUpdates=1\r\nDeleteConfirm=-1\r\n"
      "FontSize=10\r\nFontColor=0\r\nFontStyle=3\r\nAlwaysOnTop=-1\r\n",
      ReadBytes(SettingsFile()));
}

TEST_F(SettingsTest, AnUnwritableProgramFolderIsReportedOnceAndTheDefaultsServe) {
  programFolder_.Exe = folder_ + L"missing\\deeper\\Quillnote.exe";
  CreateMainForm();
  EXPECT_EQ(0x99FFFF, main_->DefColor);
  auto& boxes = testing_support::MessageBoxes().Boxes;
  ASSERT_EQ(2u, boxes.size());  // the settings file, and the notes folder
  EXPECT_NE(String::npos, boxes[0].Text.find(L"settings"));
  EXPECT_NE(String::npos, boxes[1].Text.find(L"notes folder"));
  main_->EnsureNotesFolder();
  main_->LoadSettings();
  EXPECT_EQ(2u, boxes.size());
}
