#include "classlib/FileUtils.h"
#include "classlib/Streams.h"
#include "classlib/Strings.h"
#include "common/TestSupport.h"

#include "StringsTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(StringList, Editing) {
  TStringList list;
  EXPECT_EQ(0, list.Add(L"one"));
  EXPECT_EQ(1, list.Add(L"two"));
  list.Insert(0, L"zero");
  list.Insert(3, L"three");
  EXPECT_EQ((std::vector<String>{L"zero", L"one", L"two", L"three"}), Lines(list));
  EXPECT_EQ(2, list.IndexOf(L"TWO"));  // without regard to case by default
  EXPECT_EQ(-1, list.IndexOf(L"four"));
  list.Move(0, 3);
  EXPECT_EQ((std::vector<String>{L"one", L"two", L"three", L"zero"}), Lines(list));
  list.SetStrings(1, L"TWO");
  list.Delete(3);
  EXPECT_EQ((std::vector<String>{L"one", L"TWO", L"three"}), Lines(list));
  list.SetCaseSensitive(true);
  EXPECT_EQ(-1, list.IndexOf(L"two"));
  list.Clear();
  EXPECT_EQ(0, list.Count());
}

TEST(StringList, IndexErrorsRaise) {
  TStringList list;
  list.Add(L"a");
  EXPECT_THROW(list.Strings(1), EStringListError);
  EXPECT_THROW(list.Strings(-1), EStringListError);
  EXPECT_THROW(list.Delete(1), EStringListError);
  EXPECT_THROW(list.Insert(2, L"x"), EStringListError);
  try {
    list.Strings(5);
  } catch (const EStringListError& e) {
    EXPECT_EQ(L"List index out of bounds (5)", e.Message());
  }
}

TEST(StringList, ObjectsTravelWithTheirStrings) {
  TStringList list;
  TObject a, b;
  list.AddObject(L"a", &a);
  list.AddObject(L"b", &b);
  list.Move(1, 0);
  EXPECT_EQ(&b, list.Objects(0));
  EXPECT_EQ(&a, list.Objects(1));
}

TEST(StringList, SortedAddsInPlaceAndHonoursDuplicates) {
  TStringList list;
  list.Add(L"pear");
  list.Add(L"Apple");
  list.Add(L"fig");
  list.SetSorted(true);
  EXPECT_EQ((std::vector<String>{L"Apple", L"fig", L"pear"}), Lines(list));
  EXPECT_EQ(1, list.Add(L"banana"));
  EXPECT_EQ(0, list.Add(L"apple"));  // dupIgnore: the existing index
  EXPECT_EQ(4, list.Count());
  int index = -1;
  EXPECT_TRUE(list.Find(L"FIG", index));
  EXPECT_EQ(2, index);
  EXPECT_FALSE(list.Find(L"grape", index));
  EXPECT_EQ(3, index);
  EXPECT_THROW(list.Insert(0, L"x"), EStringListError);
  list.SetDuplicates(TDuplicates::dupError);
  EXPECT_THROW(list.Add(L"Pear"), EStringListError);
  list.SetDuplicates(TDuplicates::dupAccept);
  list.Add(L"Pear");
  EXPECT_EQ(5, list.Count());
}

TEST(StringList, AnIgnoredDuplicateLeavesTheObjectOfTheItemThere) {
  TStringList list;
  list.SetSorted(true);
  TObject first, second;
  list.AddObject(L"fig", &first);
  EXPECT_EQ(0, list.AddObject(L"FIG", &second));
  EXPECT_EQ(1, list.Count());
  EXPECT_EQ(&first, list.Objects(0));
  list.SetDuplicates(TDuplicates::dupAccept);
  EXPECT_EQ(0, list.AddObject(L"FIG", &second));
  EXPECT_EQ(&second, list.Objects(0));
  EXPECT_EQ(&first, list.Objects(1));
}

TEST(StringList, SetTextSplitsAtEveryKindOfBreak) {
  struct Case {
    const wchar_t* text;
    std::vector<String> lines;
  } cases[] = {
      {L"", {}},
      {L"a", {L"a"}},
      {L"a\r\n", {L"a"}},  // no empty last line from a trailing break
      {L"a\r\nb", {L"a", L"b"}},
      {L"a\rb\nc\r\nd", {L"a", L"b", L"c", L"d"}},
      {L"a\r\n\r\n", {L"a", L""}},
      {L"\r\n", {L""}},
      {L"a\n\nb", {L"a", L"", L"b"}},
      {L"a\r\rb", {L"a", L"", L"b"}},
      {L"a\n\rb", {L"a", L"", L"b"}},
      {L" x \r\n", {L" x "}},
  };
  TStringList list;
  for (const Case& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(c.lines, Lines(list)) << testing::PrintToString(String(c.text));
  }
  list.SetText(L"a\nb");
  EXPECT_EQ(L"a\r\nb\r\n", list.Text());
  list.SetText(L"\r\n");
  EXPECT_EQ(L"\r\n", list.Text());
}

TEST(StringList, NameValueAccess) {
  TStringList list;
  list.SetText(L"Color=5\r\nopacity=50\r\nnoseparator\r\nOpacity=70\r\nTitle=\r\n Font = Tahoma\r\n");
  EXPECT_EQ(L"Color", list.Names(0));
  EXPECT_EQ(L"", list.Names(2));
  EXPECT_EQ(L"50", list.Values(L"Opacity"));  // case-insensitive, the first wins
  EXPECT_EQ(1, list.IndexOfName(L"OPACITY"));
  EXPECT_EQ(-1, list.IndexOfName(L"noseparator"));
  EXPECT_EQ(L"", list.Values(L"Title"));
  EXPECT_EQ(L"", list.Values(L"Font"));         // names are not trimmed
  EXPECT_EQ(L" Tahoma", list.Values(L" Font "));
  EXPECT_EQ(L"5", list.ValueFromIndex(0));
  EXPECT_EQ(L"", list.Values(L"Missing"));

  list.SetValue(L"color", L"7");  // replaces in place, with the new spelling
  EXPECT_EQ(L"color=7", list.Strings(0));
  list.SetValue(L"New", L"a=b");
  EXPECT_EQ(L"New=a=b", list.Strings(list.Count() - 1));
  EXPECT_EQ(L"a=b", list.Values(L"new"));
  const int before = list.Count();
  list.SetValue(L"Opacity", L"");  // an empty value removes the line
  EXPECT_EQ(before - 1, list.Count());
  EXPECT_EQ(L"70", list.Values(L"Opacity"));
  list.SetValue(L"Absent", L"");
  EXPECT_EQ(before - 1, list.Count());
}

class TChangeSpy : public TObject {
 public:
  void Changing(TObject*) { ++changing; }
  void Changed(TObject*) { ++changed; }
  int changing = 0, changed = 0;
};

TEST(StringList, ChangeEventsOncePerChangeOrPerUpdate) {
  TStringList list;
  TChangeSpy spy;
  list.OnChanging = TNotifyEvent(&spy, &TChangeSpy::Changing);
  list.OnChange = TNotifyEvent(&spy, &TChangeSpy::Changed);
  list.Add(L"a");
  EXPECT_EQ(1, spy.changing);
  EXPECT_EQ(1, spy.changed);
  list.SetText(L"x\r\ny\r\nz");
  EXPECT_EQ(2, spy.changed);
  list.BeginUpdate();
  list.Add(L"b");
  list.Delete(0);
  EXPECT_EQ(2, spy.changed);
  list.EndUpdate();
  EXPECT_EQ(3, spy.changed);
  EXPECT_EQ(3, spy.changing);
}

TEST(StringList, AChangeThatRaisesEndsItsUpdate) {
  TStringList list;
  list.SetText(L"a\r\nb\r\nc");
  TChangeSpy spy;
  list.OnChange = TNotifyEvent(&spy, &TChangeSpy::Changed);
  // A move to no valid place fails after taking the line out.
  EXPECT_THROW(list.Move(0, 5), EStringListError);
  EXPECT_EQ(0, list.UpdateCount());
  list.SetSorted(true);
  EXPECT_THROW(list.Move(0, 1), EStringListError);
  EXPECT_EQ(0, list.UpdateCount());
  const int seen = spy.changed;
  list.Add(L"d");
  EXPECT_EQ(seen + 1, spy.changed);
}

// ---------------------------------------------------------------------------------------------
// Encodings

TEST(StringListEncoding, ReadingFollowsTheByteOrderMark) {
  struct Case {
    std::string bytes;
    TTextEncoding encoding;
    std::vector<String> lines;
  } cases[] = {
      {"\xEF\xBB\xBFh\xC3\xA9llo\r\nw\xE2\x82\xAC", TTextEncoding::Utf8, {L"h\x00E9llo", L"w\x20AC"}},
      {std::string("\xFF\xFEh\0\xE9\0\r\0\n\0x\0", 12), TTextEncoding::Utf16LE, {L"h\x00E9", L"x"}},
      {std::string("\xFE\xFF\0h\x20\xAC\0\n", 8), TTextEncoding::Utf16BE, {L"h\x20AC"}},
      {"caf\xE9\r\n\x80", TTextEncoding::Ansi, {L"caf\x00E9", L"\x20AC"}},  // code page 1252
      {"", TTextEncoding::Ansi, {}},
      {"\xEF\xBB\xBF", TTextEncoding::Utf8, {}},
  };
  for (const Case& c : cases) {
    TStringList list;
    TStringStream stream(c.bytes, CP_ACP);
    list.LoadFromStream(stream);
    EXPECT_EQ(c.encoding, list.Encoding());
    EXPECT_EQ(c.lines, Lines(list)) << testing::PrintToString(c.bytes);
  }
}

TEST(StringListEncoding, InvalidUtf8BecomesReplacementCharacters) {
  TStringList list;
  TStringStream stream(std::string("\xEF\xBB\xBF" "a\xFF" "b\xC3" "\r\n\xE2\x82", 11), CP_ACP);
  list.LoadFromStream(stream);
  ASSERT_EQ(2, list.Count());
  EXPECT_EQ(L'a', list.Strings(0).front());
  EXPECT_NE(String::npos, list.Strings(0).find(L'\xFFFD'));
  EXPECT_NE(String::npos, list.Strings(0).find(L'b'));
  EXPECT_NE(String::npos, list.Strings(1).find(L'\xFFFD'));
}

TEST(StringListEncoding, SavingWritesTheMarkAndCrLfAfterEveryLine) {
  TStringList list;
  list.Add(L"h\x00E9");
  list.Add(L" title ");
  struct Case {
    TTextEncoding encoding;
    std::string bytes;
  } cases[] = {
      {TTextEncoding::Utf8, "\xEF\xBB\xBFh\xC3\xA9\r\n title \r\n"},
      {TTextEncoding::Ansi, "h\xE9\r\n title \r\n"},
      {TTextEncoding::Utf16LE, std::string("\xFF\xFEh\0\xE9\0\r\0\n\0 \0t\0i\0t\0l\0e\0 \0\r\0\n\0", 28)},
  };
  for (const Case& c : cases) {
    TMemoryStream stream;
    list.SaveToStream(stream, c.encoding);
    EXPECT_EQ(c.bytes, stream.Bytes());
  }
  list.SetWriteBOM(false);
  TMemoryStream plain;
  list.SaveToStream(plain, TTextEncoding::Utf8);
  EXPECT_EQ("h\xC3\xA9\r\n title \r\n", plain.Bytes());
}

class StringListFiles : public testing::Test {
 protected:
  void SetUp() override { folder_ = testing_support::MakeTempFolder(L"strings"); }
  void TearDown() override { testing_support::RemoveFolderTree(folder_); }
  String Path(const String& name) const { return folder_ + L"\\" + name; }
  void Write(const String& name, const std::string& bytes) { ReplaceFileContents(Path(name), bytes); }
  String folder_;
};

// A file read and written back keeps its bytes, in whichever encoding it came.
TEST_F(StringListFiles, RoundTripsAreByteForByte) {
  const std::string files[] = {
      "\xEF\xBB\xBF" "00012C0000C80000C80000C800006499FFFF00\r\n  Shopping \xE2\x82\xAC \r\n{\\rtf1 x}\r\n",
      "Color=10092543\r\nOpacity=100\r\nFontName=Arial \xE9\r\n",
      "undefined in 1252: \x81\x8D\x8F\x90\x9D\r\n",
      std::string("\xFF\xFEq\0\r\0\n\0", 8),
      std::string("\xFE\xFF\0q\0\r\0\n", 8),
      "\xEF\xBB\xBF\r\n\r\n",
  };
  int n = 0;
  for (const std::string& bytes : files) {
    const String name = L"file" + IntToStr(n++) + L".txt";
    Write(name, bytes);
    TStringList list;
    list.LoadFromFile(Path(name));
    list.SaveToFile(Path(name));
    EXPECT_EQ(bytes, ReadFileBytes(Path(name))) << testing::PrintToString(bytes);
  }
}

// A list with a format of its own: the file operations go through its stream operations.
class TShoutingList : public TStringList {
 public:
  void LoadFromStream(TStream& stream) override {
    TStringList::LoadFromStream(stream);
    for (int i = 0; i < Count(); ++i) SetStrings(i, UpperCase(Strings(i)));
  }
  void SaveToStream(TStream& stream) const override { stream.WriteBytes("saved by the list"); }
};

TEST_F(StringListFiles, FileOperationsGoThroughTheStreamOperations) {
  Write(L"in.txt", "quiet\r\nwords\r\n");
  TShoutingList list;
  list.LoadFromFile(Path(L"in.txt"));
  EXPECT_EQ((std::vector<String>{L"QUIET", L"WORDS"}), Lines(list));
  list.SaveToFile(Path(L"out.txt"));
  EXPECT_EQ("saved by the list", ReadFileBytes(Path(L"out.txt")));
}

TEST_F(StringListFiles, SaveRaisesAndKeepsTheOldFileWhenTheFolderIsMissing) {
  TStringList list;
  list.Add(L"x");
  EXPECT_THROW(list.SaveToFile(Path(L"missing\\x.txt")), EStreamError);
  EXPECT_THROW(list.LoadFromFile(Path(L"absent.txt")), EFOpenError);
}

}  // namespace
