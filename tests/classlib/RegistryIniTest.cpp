#include "classlib/IniFiles.h"

#include <gtest/gtest.h>

namespace {

constexpr const wchar_t* kBase = L"Software\\QuillnoteTests\\RegIni";

class RegIniFile : public testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBase); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBase); }
};

// The way window positions are kept: one subkey per window below a base key.
TEST_F(RegIniFile, SectionsAreSubkeysOfTheOpenKey) {
  TRegIniFile ini(L"");
  ini.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(ini.OpenKey(kBase, true));
  ini.WriteInteger(L"Toolbar1", L"Rev", 2000);
  ini.WriteString(L"Toolbar1", L"DockedTo", L"TopDock");
  ini.WriteString(L"", L"MRU1", L"C:\\a.txt");  // an empty section is the key itself
  EXPECT_EQ(2000, ini.ReadInteger(L"Toolbar1", L"Rev", 0));
  EXPECT_EQ(L"TopDock", ini.ReadString(L"Toolbar1", L"DockedTo", L""));
  EXPECT_EQ(5, ini.ReadInteger(L"Toolbar1", L"DockedTo", 5));
  EXPECT_EQ(5, ini.ReadInteger(L"Toolbar9", L"Rev", 5));
  EXPECT_EQ(L"x", ini.ReadString(L"Toolbar9", L"Rev", L"x"));
  EXPECT_FALSE(ini.Registry().KeyExists(L"Toolbar9"));  // reading creates nothing
  EXPECT_EQ(L"C:\\a.txt", ini.ReadString(L"", L"MRU1", L""));
  EXPECT_TRUE(ini.Registry().KeyExists(L"Toolbar1"));

  ini.DeleteKey(L"Toolbar1", L"Rev");
  EXPECT_EQ(L"gone", ini.ReadString(L"Toolbar1", L"Rev", L"gone"));
  ini.DeleteKey(L"Toolbar9", L"Rev");
  EXPECT_FALSE(ini.Registry().KeyExists(L"Toolbar9"));
}

TEST_F(RegIniFile, IntegersStoredAsDwordsAreReadToo) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(String(kBase) + L"\\Window", true));
  reg.WriteInteger(L"ClientWidth", 120);
  reg.CloseKey();
  TRegIniFile ini(kBase);
  EXPECT_EQ(120, ini.ReadInteger(L"Window", L"ClientWidth", 0));
  ini.WriteInteger(L"Window", L"ClientHeight", 80);
  ASSERT_TRUE(reg.OpenKey(String(kBase) + L"\\Window", false));
  EXPECT_EQ(L"80", reg.ReadString(L"ClientHeight"));  // written as text
}

TEST_F(RegIniFile, WithoutAnOpenKeyReadsGiveTheFallbackAndWritesRaise) {
  TRegIniFile ini(L"");
  EXPECT_EQ(L"d", ini.ReadString(L"s", L"k", L"d"));
  EXPECT_EQ(3, ini.ReadInteger(L"s", L"k", 3));
  EXPECT_THROW(ini.WriteString(L"s", L"k", L"v"), ERegistryException);
}

}  // namespace
