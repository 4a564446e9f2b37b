#include "classlib/FileUtils.h"
#include "classlib/IniFiles.h"
#include "classlib/Strings.h"
#include "common/TestSupport.h"

#include "StringsTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

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
    ini.WriteBool(L"Toolbar1", L"Visible", true);
    ini.WriteString(L"Toolbar2", L"DockedTo", L"TopDock");
    EXPECT_EQ(2000, ini.ReadInteger(L"Toolbar1", L"Rev", 0));
    EXPECT_EQ(7, ini.ReadInteger(L"Toolbar1", L"DockedTo", 7));  // not an integer
    EXPECT_EQ(7, ini.ReadInteger(L"Toolbar1", L"Missing", 7));
    EXPECT_TRUE(ini.ReadBool(L"Toolbar1", L"Visible", false));
    EXPECT_EQ(L"+", ini.ReadString(L"toolbar1", L"dockedto", L""));  // without regard to case
    EXPECT_EQ(L"none", ini.ReadString(L"Toolbar3", L"DockedTo", L"none"));
  }
  TIniFile ini(name_);
  TStringList list;
  ini.ReadSections(list);
  EXPECT_EQ((std::vector<String>{L"Toolbar1", L"Toolbar2"}), Lines(list));
  ini.ReadSection(L"Toolbar1", list);
  EXPECT_EQ((std::vector<String>{L"Rev", L"DockedTo", L"Visible"}), Lines(list));
  ini.ReadSectionValues(L"Toolbar1", list);
  EXPECT_EQ((std::vector<String>{L"Rev=2000", L"DockedTo=+", L"Visible=1"}), Lines(list));
  EXPECT_TRUE(ini.SectionExists(L"Toolbar2"));
  EXPECT_TRUE(ini.ValueExists(L"Toolbar1", L"Rev"));
  ini.DeleteKey(L"Toolbar1", L"Rev");
  EXPECT_FALSE(ini.ValueExists(L"Toolbar1", L"Rev"));
  ini.EraseSection(L"Toolbar2");
  EXPECT_FALSE(ini.SectionExists(L"Toolbar2"));
  ini.UpdateFile();
  TStringList file;
  file.LoadFromFile(name_);
  EXPECT_NE(-1, file.IndexOf(L"[Toolbar1]"));
  EXPECT_EQ(-1, file.IndexOf(L"[Toolbar2]"));
}

TEST_F(IniFile, WritingIntoAMissingFolderRaises) {
  TIniFile ini(folder_ + L"\\absent\\x.ini");
  EXPECT_THROW(ini.WriteString(L"s", L"k", L"v"), EIniFileException);
  EXPECT_EQ(L"d", ini.ReadString(L"s", L"k", L"d"));
}

}  // namespace
