#include "classlib/FileCtrl.h"

#include "classlib/FileUtils.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace {

class FileList : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = GetCurrentDir();
    root_ = testing_support::MakeTempFolder(L"filelist");
    notes_ = root_ + L"Notes\\";
    ASSERT_TRUE(CreateDir(notes_));
  }
  void TearDown() override {
    SetCurrentDir(saved_);
    testing_support::RemoveFolderTree(root_);
  }
  void Touch(const String& name) {
    HANDLE h = CreateFileW((notes_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << std::string(name.begin(), name.end());
    CloseHandle(h);
  }
  static std::vector<String> Names(const TFileListBox& list) {
    std::vector<String> names;
    for (int i = 0; i < list.Items().Count(); ++i) names.push_back(list.Items().Strings(i));
    return names;
  }
  String saved_, root_, notes_;
};

}  // namespace

TEST_F(FileList, ListsMatchingFilesOfTheFolderByNameAscending) {
  // Names that must not be listed: other extensions, a longer extension whose short name
  // ends in ".QWN", an extension only in the middle, and a folder with a matching name.
  for (const wchar_t* name : {L"1292026111840.qwn", L"b.qwn", L"A.qwn", L"c.QWN", L"a.qwnx",
                              L"note.qwn.bak", L"x.txt", L"qwn", L"longer name with blanks.qwn"})
    Touch(name);
  ASSERT_TRUE(CreateDir(notes_ + L"dir.qwn"));
  TFileListBox list(nullptr);
  list.SetVisible(false);
  list.SetMask(L"*.qwn");
  // The notes folder's path holds a doubled separator ("...\\Notes\"); it is taken as it is.
  String path = ExcludeTrailingPathDelimiter(root_) + L"\\\\Notes\\";
  list.ApplyFilePath(path);
  EXPECT_EQ((std::vector<String>{L"1292026111840.qwn", L"A.qwn", L"b.qwn", L"c.QWN",
                                 L"longer name with blanks.qwn"}),
            Names(list));
  EXPECT_EQ(0, AnsiCompareFileName(ExcludeTrailingPathDelimiter(notes_), ExcludeTrailingPathDelimiter(GetCurrentDir())));
  EXPECT_EQ(0, AnsiCompareFileName(ExcludeTrailingPathDelimiter(notes_), ExcludeTrailingPathDelimiter(list.Directory())));

  Touch(L"0.qwn");
  EXPECT_EQ(5, list.Items().Count());  // read again only when asked
  list.Update();
  EXPECT_EQ(L"0.qwn", list.Items().Strings(0));

  list.SetMask(L"*.txt;*.bak");
  EXPECT_EQ((std::vector<String>{L"note.qwn.bak", L"x.txt"}), Names(list));
}

TEST_F(FileList, AMissingFolderListsNothingAndAMaskInThePathIsTaken) {
  TFileListBox list(nullptr);
  list.SetMask(L"*.qwn");
  list.SetDirectory(root_ + L"missing\\");
  EXPECT_EQ(0, list.Items().Count());
  Touch(L"a.qwn");
  Touch(L"b.txt");
  list.ApplyFilePath(notes_ + L"*.txt");
  EXPECT_EQ(L"*.txt", list.Mask());
  EXPECT_EQ((std::vector<String>{L"b.txt"}), Names(list));
  list.ApplyFilePath(ExcludeTrailingPathDelimiter(notes_));  // a folder named without separator
  EXPECT_EQ((std::vector<String>{L"b.txt"}), Names(list));
  EXPECT_EQ(0, AnsiCompareFileName(ExcludeTrailingPathDelimiter(notes_), ExcludeTrailingPathDelimiter(GetCurrentDir())));
}
