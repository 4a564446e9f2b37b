#pragma once
// File names and paths, files and folders, and listing a folder by mask. Reading and replacing
// a file's contents live beside the streams (Streams.h).
#include "classlib/SysUtils.h"
#include "classlib/Types.h"

#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Names and paths ('\' and '/' both separate folders; a drive's ':' ends the folder part too)

// The folder part with its trailing separator ("C:\a\b.txt" -> "C:\a\").
String ExtractFilePath(const String& fileName);
String ExtractFileName(const String& fileName);
String IncludeTrailingPathDelimiter(const String& path);
String ExcludeTrailingPathDelimiter(const String& path);
// The full path of a name relative to the current folder.
String ExpandFileName(const String& fileName);
// File names compare without regard to letter case.
int AnsiCompareFileName(const String& a, const String& b);
// A mask of '*' (any run) and '?' (any one character), without regard to letter case.
bool MatchesMask(const String& name, const String& mask);

// ---------------------------------------------------------------------------------------------
// Files and folders

bool FileExists(const String& fileName);  // a file, not a folder
bool DirectoryExists(const String& path);
// One level; false when it fails or already exists.
bool CreateDir(const String& path);
bool RemoveDir(const String& path);
// <windows.h> renames DeleteFile to DeleteFileW; this overload of it takes our string, so
// DeleteFile(name) reads the same whichever the caller sees.
bool DeleteFileW(const String& fileName);
String GetCurrentDir();
bool SetCurrentDir(const String& path);

// The names (without folder) of the files in `folder` whose long names match `mask`, sorted
// by name ascending without regard to letter case. Folders are left out, and so are files
// that the system matches only through their short 8.3 names. A missing folder gives none.
std::vector<String> ListFiles(const String& folder, const String& mask);

// "<what> "<file name>". <the system's reason>", the text of the file errors.
String FileErrorMessage(const String& what, const String& fileName, DWORD code);
