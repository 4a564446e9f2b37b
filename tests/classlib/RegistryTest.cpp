#include "classlib/Registry.h"

#include <gtest/gtest.h>

#include <sddl.h>

namespace {

// Every test works below a key of its own in the test prefix's current user.
class Registry : public testing::Test {
 protected:
  static constexpr const wchar_t* kBase = L"Software\\QuillnoteTests\\Registry";
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBase); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBase); }

  // Gives the key the rights of a security descriptor text; its owner may always do that.
  static void SetRights(const wchar_t* descriptor) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kBase, 0, WRITE_DAC, &key));
    PSECURITY_DESCRIPTOR rights = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor, SDDL_REVISION_1, &rights, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, rights));
    LocalFree(rights);
    RegCloseKey(key);
  }
  // Stores raw bytes as a value, the way another program might have.
  static void PutRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kBase, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
    RegCloseKey(key);
  }
};

TEST_F(Registry, OpenWithoutCreateFailsOnAMissingKeyAndReadsEmpty) {
  TRegistry reg;
  EXPECT_EQ(HKEY_CURRENT_USER, reg.RootKey());
  EXPECT_FALSE(reg.OpenKey(kBase, false));
  EXPECT_EQ(nullptr, reg.CurrentKey());
  EXPECT_EQ(L"", reg.ReadString(L"dwnsrc"));  // no key open
  EXPECT_FALSE(reg.ValueExists(L"dwnsrc"));
  EXPECT_FALSE(reg.DeleteValue(L"dwnsrc"));
  EXPECT_THROW(reg.WriteString(L"Quillnote", L"x"), ERegistryException);
  EXPECT_FALSE(reg.KeyExists(kBase));
}

TEST_F(Registry, WriteReadAndDeleteValues) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kBase, true));
  EXPECT_EQ(String(kBase), reg.CurrentPath());
  EXPECT_EQ(L"", reg.ReadString(L"dwnsrc"));  // missing value
  reg.WriteString(L"dwnsrc", L"abc");
  reg.WriteString(L"Empty", L"");
  reg.WriteString(L"Path", L"\"C:\\Program Files\\Quillnote\\Quillnote.exe\"");
  EXPECT_EQ(L"abc", reg.ReadString(L"dwnsrc"));
  EXPECT_EQ(L"", reg.ReadString(L"Empty"));
  EXPECT_TRUE(reg.ValueExists(L"Empty"));
  EXPECT_EQ(L"\"C:\\Program Files\\Quillnote\\Quillnote.exe\"", reg.ReadString(L"Path"));
  EXPECT_TRUE(reg.DeleteValue(L"dwnsrc"));
  EXPECT_FALSE(reg.DeleteValue(L"dwnsrc"));
  EXPECT_FALSE(reg.ValueExists(L"dwnsrc"));

  reg.WriteInteger(L"Rev", 2000);
  EXPECT_EQ(2000, reg.ReadInteger(L"Rev"));
  EXPECT_THROW(reg.ReadInteger(L"Missing"), ERegistryException);
  EXPECT_THROW(reg.ReadInteger(L"Path"), ERegistryException);
}

// Values stored without a terminator, with an embedded one, empty, or of another kind.
TEST_F(Registry, ReadsStopAtTheStoredSizeAndTheFirstNul) {
  PutRaw(L"NoNul", REG_SZ, L"abcd", 4 * sizeof(wchar_t));
  PutRaw(L"Inner", REG_SZ, L"ab\0cd", 6 * sizeof(wchar_t));
  PutRaw(L"ZeroBytes", REG_SZ, L"", 0);
  PutRaw(L"OddBytes", REG_SZ, "a\0b", 3);
  const DWORD number = 42;
  PutRaw(L"Number", REG_DWORD, &number, sizeof(number));
  PutRaw(L"Text42", REG_SZ, L"42", 3 * sizeof(wchar_t));
  PutRaw(L"Expand", REG_EXPAND_SZ, L"%TEMP%\\x", 9 * sizeof(wchar_t));
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(kBase));
  EXPECT_EQ(L"abcd", reg.ReadString(L"NoNul"));
  EXPECT_EQ(L"ab", reg.ReadString(L"Inner"));
  EXPECT_EQ(L"", reg.ReadString(L"ZeroBytes"));
  EXPECT_EQ(L"a", reg.ReadString(L"OddBytes"));
  EXPECT_EQ(L"", reg.ReadString(L"Number"));  // another kind reads as empty
  EXPECT_EQ(L"%TEMP%\\x", reg.ReadString(L"Expand"));
  EXPECT_EQ(42, reg.ReadInteger(L"Number"));
  EXPECT_EQ(42, reg.ReadInteger(L"Text42"));
  EXPECT_THROW(reg.WriteString(L"x", L"y"), ERegistryException);  // read-only
}

TEST_F(Registry, KeysRelativeAndAbsoluteAndDeletedWithTheirSubkeys) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(String(L"\\") + kBase + L"\\Docks", true));
  ASSERT_TRUE(reg.OpenKey(L"Toolbar1", true));  // below the open key
  EXPECT_EQ(String(kBase) + L"\\Docks\\Toolbar1", reg.CurrentPath());
  reg.WriteInteger(L"DockRow", 1);
  ASSERT_TRUE(reg.OpenKey(String(L"\\") + kBase, false));
  EXPECT_TRUE(reg.KeyExists(L"Docks\\Toolbar1"));
  EXPECT_TRUE(reg.KeyExists(String(L"\\") + kBase + L"\\Docks"));
  EXPECT_FALSE(reg.DeleteKey(L""));  // never the open key itself
  EXPECT_FALSE(reg.DeleteKey(L"\\"));
  EXPECT_TRUE(reg.KeyExists(String(L"\\") + kBase));
  EXPECT_TRUE(reg.DeleteKey(L"Docks"));
  EXPECT_FALSE(reg.KeyExists(L"Docks"));
  EXPECT_FALSE(reg.DeleteKey(L"Docks"));
  ASSERT_TRUE(reg.OpenKey(L"New", true));
  EXPECT_TRUE(reg.KeyExists(String(L"\\") + kBase + L"\\New"));
  reg.CloseKey();
  EXPECT_EQ(L"", reg.CurrentPath());
  EXPECT_TRUE(reg.KeyExists(kBase));  // relative to the root once closed
}

TEST_F(Registry, RootKeyChangeClosesTheOpenKey) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kBase, true));
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(nullptr, reg.CurrentKey());
  EXPECT_EQ(HKEY_LOCAL_MACHINE, reg.RootKey());
}

TEST_F(Registry, LastErrorTellsAMissingKeyOrValueFromOneThatCannotBeReached) {
  TRegistry reg(KEY_READ | KEY_WRITE);
  EXPECT_FALSE(reg.OpenKey(kBase, false));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg.LastError());
  ASSERT_TRUE(reg.OpenKey(kBase, true));
  EXPECT_EQ(ERROR_SUCCESS, reg.LastError());
  EXPECT_FALSE(reg.DeleteValue(L"Missing"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg.LastError());
  reg.WriteString(L"Here", L"x");
  EXPECT_EQ(ERROR_SUCCESS, reg.LastError());
  EXPECT_TRUE(reg.DeleteValue(L"Here"));
  EXPECT_EQ(ERROR_SUCCESS, reg.LastError());

  // Everyone may only read the key now: opening it to write is refused, and so is a write
  // through a key opened to read.
  reg.CloseKey();
  SetRights(L"D:P(A;;KR;;;WD)");
  EXPECT_FALSE(reg.OpenKey(kBase, true));
  EXPECT_EQ(ERROR_ACCESS_DENIED, reg.LastError());
  ASSERT_TRUE(reg.OpenKeyReadOnly(kBase));
  EXPECT_THROW(reg.WriteString(L"Here", L"x"), ERegistryException);
  EXPECT_EQ(ERROR_ACCESS_DENIED, reg.LastError());
  EXPECT_FALSE(reg.DeleteValue(L"Here"));
  EXPECT_EQ(ERROR_ACCESS_DENIED, reg.LastError());
  // The owner may give the rights back, so that the key can go.
  SetRights(L"D:P(A;;KA;;;WD)");
}

// A 32-bit installer writes the machine's software keys below WOW6432Node; the 64-bit build
// sees them there only through the 32-bit view.
TEST(RegistryViews, TheThirtyTwoBitViewOfTheMachineKey) {
  const wchar_t* key = L"SOFTWARE\\QuillnoteTests\\View";
  {
    TRegistry reg(KEY_ALL_ACCESS | KEY_WOW64_32KEY);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString(L"dwnsrc", L"abc");
  }
  TRegistry reader(KEY_READ | KEY_WOW64_32KEY);
  reader.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reader.OpenKeyReadOnly(key));
  EXPECT_EQ(L"abc", reader.ReadString(L"dwnsrc"));
#ifdef _WIN64
  TRegistry native(KEY_READ | KEY_WOW64_64KEY);
  native.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(native.KeyExists(key));
  EXPECT_TRUE(native.KeyExists(L"SOFTWARE\\WOW6432Node\\QuillnoteTests\\View"));
#endif
  TRegistry cleaner(KEY_ALL_ACCESS | KEY_WOW64_32KEY);
  cleaner.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(cleaner.DeleteKey(L"SOFTWARE\\QuillnoteTests"));
  EXPECT_FALSE(cleaner.KeyExists(key));
}

TEST(RegistryKeys, TheHandleWrapperClosesOnceAndMoves) {
  HKEY raw = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &raw));
  TRegKey a(raw);
  TRegKey b(std::move(a));
  EXPECT_FALSE(a);
  EXPECT_EQ(raw, b.Get());
  TRegKey c;
  c = std::move(b);
  EXPECT_EQ(raw, c.Get());
  TRegKey root(HKEY_CURRENT_USER);  // a predefined root is never closed
  root.Reset();
  HKEY again = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &again));
  RegCloseKey(again);
}

}  // namespace
