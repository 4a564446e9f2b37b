#include "classlib/FileUtils.h"
#include "classlib/IniFiles.h"
#include "classlib/Strings.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class IniFile : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing_support::MakeTempFolder(L"ini");
    name_ = folder_ + L"\\positions.ini";
  }
  void TearDown() override { testing_support::RemoveFolderTree(folder_); }
  String folder_, name_;
};

TEST_F(IniFile, ValuesBySectionAndKey) {
  {
    TIniFile ini(name_);
    ini.WriteInteger(L"Toolbar1", L"Rev", 2000);
    ini.WriteString(L"Toolbar1", L"DockedTo", L"+");
    ini.WriteString(L"Toolbar2", L"DockedTo", L"TopDock");
    EXPECT_EQ(2000, ini.ReadInteger(L"Toolbar1", L"Rev", 0));
    EXPECT_EQ(7, ini.ReadInteger(L"Toolbar1", L"DockedTo", 7));  // not an integer
    EXPECT_EQ(7, ini.ReadInteger(L"Toolbar1", L"Missing", 7));
    EXPECT_EQ(L"+", ini.ReadString(L"toolbar1", L"dockedto", L""));  // without regard to case
    EXPECT_EQ(L"none", ini.ReadString(L"Toolbar3", L"DockedTo", L"none"));
  }
  {
    TIniFile ini(name_);
    EXPECT_EQ(L"2000", ini.ReadString(L"Toolbar1", L"Rev", L""));
    ini.DeleteKey(L"Toolbar1", L"Rev");
    EXPECT_EQ(L"gone", ini.ReadString(L"Toolbar1", L"Rev", L"gone"));
  }
  TStringList file;
  file.LoadFromFile(name_);
  EXPECT_NE(-1, file.IndexOf(L"[Toolbar1]"));
  EXPECT_NE(-1, file.IndexOf(L"[Toolbar2]"));
  EXPECT_NE(-1, file.IndexOf(L"DockedTo=+"));
  EXPECT_EQ(-1, file.IndexOf(L"Rev=2000"));
}

TEST_F(IniFile, WritingIntoAMissingFolderRaises) {
  TIniFile ini(folder_ + L"\\absent\\x.ini");
  EXPECT_THROW(ini.WriteString(L"s", L"k", L"v"), EIniFileException);
  EXPECT_EQ(L"d", ini.ReadString(L"s", L"k", L"d"));
}

}  // namespace
