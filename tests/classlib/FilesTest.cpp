#include "classlib/FileUtils.h"
#include "classlib/Streams.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(FileNames, PartsOfAName) {
  struct Case {
    const wchar_t* name;
    const wchar_t* path;
    const wchar_t* file;
  } cases[] = {
      {L"C:\\Program\\Quillnote.exe", L"C:\\Program\\", L"Quillnote.exe"},
      {L"C:\\Quillnote.exe", L"C:\\", L"Quillnote.exe"},
      {L"C:x.txt", L"C:", L"x.txt"},
      {L"notes\\1292026111840.qwn", L"notes\\", L"1292026111840.qwn"},
      {L"a.b\\c", L"a.b\\", L"c"},
      {L"a/b.tar.gz", L"a/", L"b.tar.gz"},
      {L"plain", L"", L"plain"},
      {L"C:\\dir\\", L"C:\\dir\\", L""},
      {L"C:\\Prog\\\\Notes\\", L"C:\\Prog\\\\Notes\\", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.path, ExtractFilePath(c.name)) << testing::PrintToString(String(c.name));
    EXPECT_EQ(c.file, ExtractFileName(c.name)) << testing::PrintToString(String(c.name));
  }
}

TEST(FileNames, TrailingDelimiters) {
  EXPECT_EQ(L"C:\\a\\", IncludeTrailingPathDelimiter(L"C:\\a"));
  EXPECT_EQ(L"C:\\a\\", IncludeTrailingPathDelimiter(L"C:\\a\\"));
  EXPECT_EQ(L"\\", IncludeTrailingPathDelimiter(L""));
  EXPECT_EQ(L"C:\\a", ExcludeTrailingPathDelimiter(L"C:\\a\\"));
  EXPECT_EQ(L"C:\\a", ExcludeTrailingPathDelimiter(L"C:\\a"));
}

TEST(FileNames, MasksAndComparison) {
  struct Case {
    const wchar_t* name;
    const wchar_t* mask;
    bool match;
  } cases[] = {
      {L"1292026111840.qwn", L"*.qwn", true}, {L"A.QWN", L"*.qwn", true},
      {L"a.qwn~", L"*.qwn", false},           {L"~a.qwn.1.tmp", L"*.qwn", false},
      {L"a.qwnx", L"*.qwn", false},           {L".qwn", L"*.qwn", true},
      {L"abc", L"a?c", true},                 {L"ac", L"a?c", false},
      {L"anything", L"*", true},              {L"", L"*", true},
      {L"abXcdYcd", L"ab*cd", true},          {L"abcdX", L"ab*cd", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.match, MatchesMask(c.name, c.mask))
        << testing::PrintToString(String(c.name)) << " " << testing::PrintToString(String(c.mask));
  EXPECT_EQ(0, AnsiCompareFileName(L"Notes.QWN", L"notes.qwn"));
  EXPECT_LT(AnsiCompareFileName(L"a", L"B"), 0);
}

class Files : public testing::Test {
 protected:
  void SetUp() override { folder_ = testing_support::MakeTempFolder(L"files"); }
  void TearDown() override {
    SetCurrentDir(saved_);
    testing_support::RemoveFolderTree(folder_);
  }
  String Path(const String& name) const { return folder_ + L"\\" + name; }
  void Put(const String& name, const std::string& bytes) {
    TFileStream f(Path(name), fmCreate);
    f.WriteBytes(bytes);
  }
  String folder_;
  String saved_ = GetCurrentDir();
};

TEST_F(Files, FoldersAndFiles) {
  EXPECT_TRUE(DirectoryExists(folder_));
  EXPECT_FALSE(FileExists(folder_));
  EXPECT_TRUE(CreateDir(Path(L"one")));
  EXPECT_FALSE(CreateDir(Path(L"one")));           // exists already
  EXPECT_FALSE(CreateDir(Path(L"x\\y")));          // one level only
  EXPECT_TRUE(CreateDir(Path(L"x")));
  // The notes folder's doubled separator names the same folder.
  EXPECT_TRUE(DirectoryExists(folder_ + L"\\\\one\\"));
  EXPECT_TRUE(CreateDir(folder_ + L"\\\\two\\"));
  EXPECT_TRUE(DirectoryExists(Path(L"two")));

  Put(L"a.txt", "abc");
  EXPECT_TRUE(FileExists(Path(L"a.txt")));
  EXPECT_FALSE(DirectoryExists(Path(L"a.txt")));
  EXPECT_EQ("abc", ReadFileBytes(Path(L"a.txt")));
  EXPECT_TRUE(DeleteFile(Path(L"a.txt")));
  EXPECT_FALSE(FileExists(Path(L"a.txt")));
  EXPECT_FALSE(DeleteFile(Path(L"a.txt")));
  EXPECT_TRUE(RemoveDir(Path(L"one")));
  EXPECT_FALSE(DirectoryExists(Path(L"one")));

  ASSERT_TRUE(SetCurrentDir(Path(L"x")));
  EXPECT_EQ(0, AnsiCompareFileName(ExpandFileName(Path(L"x")), GetCurrentDir()))
      << testing::PrintToString(GetCurrentDir()) << " " << testing::PrintToString(Path(L"x"));
  EXPECT_EQ(0, AnsiCompareFileName(ExpandFileName(Path(L"x\\y")), ExpandFileName(L"y")));
  EXPECT_FALSE(SetCurrentDir(Path(L"absent")));
}

TEST_F(Files, ListFilesByMaskSortedByName) {
  for (const wchar_t* name : {L"300.qwn", L"1292026111840.qwn", L"20.QWN", L"a.qwn~", L"x.txt",
                              L"~5.qwn.1.tmp", L"b.qwnx"})
    Put(name, "x");
  ASSERT_TRUE(CreateDir(Path(L"folder.qwn")));
  EXPECT_EQ((std::vector<String>{L"1292026111840.qwn", L"20.QWN", L"300.qwn"}),
            ListFiles(folder_, L"*.qwn"));
  EXPECT_EQ((std::vector<String>{L"x.txt"}), ListFiles(folder_ + L"\\", L"*.txt"));
  EXPECT_EQ((std::vector<String>{L"x.txt"}), ListFiles(folder_ + L"\\\\", L"*.txt"));
  EXPECT_TRUE(ListFiles(Path(L"absent"), L"*.qwn").empty());
}

TEST_F(Files, ReplaceFileContentsReplacesWholeAndLeavesNoTemporaryFile) {
  const String target = Path(L"1.qwn");
  ReplaceFileContents(target, "first");
  EXPECT_EQ("first", ReadFileBytes(target));
  ReplaceFileContents(target, "second, longer");
  EXPECT_EQ("second, longer", ReadFileBytes(target));
  ReplaceFileContents(target, "");
  EXPECT_EQ("", ReadFileBytes(target));
  EXPECT_EQ((std::vector<String>{L"1.qwn"}), ListFiles(folder_, L"*"));
}

TEST_F(Files, TheTemporaryFileMatchesNoNoteMask) {
  const String target = Path(L"1292026111840.qwn");
  ReplaceFileContents(target, "old");
  std::vector<String> seen;
  testing_support::THookedFileReplacement hook([&](const String& temp) {
    seen = ListFiles(ExtractFilePath(temp), L"*.qwn");
    seen.push_back(ExtractFileName(temp));
    return true;
  });
  ReplaceFileContents(target, "new");
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ(L"1292026111840.qwn", seen[0]);  // the temporary file is not listed as a note
  EXPECT_EQ(L'~', seen[1].front());
  EXPECT_TRUE(MatchesMask(seen[1], L"*.tmp"));
  EXPECT_EQ("new", ReadFileBytes(target));
}

TEST_F(Files, AFailureBeforeReplacingKeepsTheOldFileWhole) {
  const String target = Path(L"note.qwn");
  ReplaceFileContents(target, "the old note");
  testing_support::THookedFileReplacement failing([](const String& temp) {
    EXPECT_EQ("the new note", ReadFileBytes(temp));  // written and closed by now
    return false;
  });
  EXPECT_THROW(ReplaceFileContents(target, "the new note"), EWriteError);
  EXPECT_EQ("the old note", ReadFileBytes(target));
  EXPECT_EQ((std::vector<String>{L"note.qwn"}), ListFiles(folder_, L"*"));
}

TEST_F(Files, ReplacingALockedOrUnreachableFileFails) {
  const String target = Path(L"locked.qwn");
  ReplaceFileContents(target, "kept");
  {
    TFileStream holder(target, fmOpenRead | fmShareExclusive);
    EXPECT_THROW(ReplaceFileContents(target, "lost"), EWriteError);
  }
  EXPECT_EQ("kept", ReadFileBytes(target));
  EXPECT_EQ((std::vector<String>{L"locked.qwn"}), ListFiles(folder_, L"*"));
  EXPECT_THROW(ReplaceFileContents(Path(L"absent\\x.qwn"), "x"), EFCreateError);
}

// ---------------------------------------------------------------------------------------------
// Streams

TEST_F(Files, FileStreamModes) {
  const String name = Path(L"s.bin");
  {
    TFileStream f(name, fmCreate);
    f.WriteBytes("hello world");
    EXPECT_EQ(11, f.Size());
    EXPECT_EQ(11, f.Position());
    f.SetPosition(6);
    f.WriteBytes("WORLD");
  }
  {
    TFileStream f(name, fmOpenRead | fmShareDenyWrite);
    char buffer[5];
    f.Seek(-5, TSeekOrigin::soEnd);
    f.ReadBuffer(buffer, 5);
    EXPECT_EQ("WORLD", std::string(buffer, 5));
    EXPECT_EQ(0, f.Read(buffer, 5));  // at the end
    EXPECT_THROW(f.ReadBuffer(buffer, 1), EReadError);
    EXPECT_THROW(f.WriteBytes("x"), EWriteError);  // opened for reading only
    // Others may read beside a deny-write reader, but not write.
    TFileStream reader(name, fmOpenRead | fmShareDenyNone);
    EXPECT_THROW(TFileStream(name, fmOpenReadWrite | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream f(name, fmOpenReadWrite);
    f.SetSize(5);
    f.Seek(0, TSeekOrigin::soEnd);
    f.WriteBytes("!");
  }
  EXPECT_EQ("hello!", ReadFileBytes(name));
  {
    TFileStream f(name, fmCreate);  // empties an existing file
  }
  EXPECT_EQ("", ReadFileBytes(name));
  EXPECT_THROW(TFileStream(Path(L"absent.bin"), fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream(Path(L"absent\\x.bin"), fmCreate), EFCreateError);
  try {
    TFileStream f(Path(L"absent.bin"), fmOpenRead);
  } catch (const EFOpenError& e) {
    EXPECT_EQ(0u, e.Message().find(L"Cannot open file \"" + Path(L"absent.bin") + L"\"."));
  }
}

TEST(Streams, MemoryStreamGrowsAndSeeks) {
  TMemoryStream m;
  m.WriteBytes("abc");
  EXPECT_EQ(3, m.Size());
  m.Seek(2, TSeekOrigin::soEnd);
  m.WriteBytes("x");
  EXPECT_EQ(std::string("abc\0\0x", 6), m.Bytes());  // the gap fills with zeros
  m.SetPosition(1);
  char two[2];
  m.ReadBuffer(two, 2);
  EXPECT_EQ("bc", std::string(two, 2));
  m.SetSize(2);
  EXPECT_EQ(2, m.Position());
  EXPECT_EQ("ab", m.Bytes());
  m.SetPosition(0);
  EXPECT_EQ("ab", m.ReadRest());
  m.Seek(-1, TSeekOrigin::soBeginning);  // before the start reads nothing
  EXPECT_EQ(0, m.Read(two, 1));
  m.Clear();
  EXPECT_EQ(0, m.Size());
}

TEST(Streams, StringStreamTextInItsCodePage) {
  TStringStream ansi(L"{\\rtf1 caf\x00E9}");
  EXPECT_EQ("{\\rtf1 caf\xE9}", ansi.Bytes());
  EXPECT_EQ(L"{\\rtf1 caf\x00E9}", ansi.DataString());
  TStringStream utf8(L"\x20AC", CP_UTF8);
  EXPECT_EQ("\xE2\x82\xAC", utf8.Bytes());
  TStringStream empty;
  empty.WriteString(L"ab");
  empty.WriteString(L"cd");
  EXPECT_EQ(L"abcd", empty.DataString());
  empty.SetPosition(1);
  EXPECT_EQ(L"bc", empty.ReadString(2));
  EXPECT_EQ(L"d", empty.ReadString(10));
}

TEST_F(Files, MemoryStreamFilesRoundTrip) {
  TMemoryStream m;
  m.WriteBytes(std::string("\xEF\xBB\xBF\0\x01\xFF", 6));
  m.SaveToFile(Path(L"m.bin"));
  TMemoryStream back;
  back.LoadFromFile(Path(L"m.bin"));
  EXPECT_EQ(m.Bytes(), back.Bytes());
  TFileStream f(Path(L"m.bin"), fmOpenRead);
  TMemoryStream viaStream;
  viaStream.LoadFromStream(f);
  EXPECT_EQ(m.Bytes(), viaStream.Bytes());
}

}  // namespace
