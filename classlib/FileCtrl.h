#pragma once
// A file list: the names of the files of one folder that match a mask, for code that only
// reads them (it shows no window).
#include "classlib/Classes.h"
#include "classlib/Strings.h"

// Items holds the bare file names of Directory that match Mask, ascending by name without
// regard to letter case. A name matches through its long form only: "a.qwnx", whose short
// name may end in ".QWN", is not listed under "*.qwn". Folders are never listed. Mask may
// hold several masks separated by ';'.
class TFileListBox : public TComponent {
 public:
  explicit TFileListBox(TComponent* AOwner);

  const String& Mask() const { return mask_; }
  void SetMask(const String& mask);
  // Setting the folder makes it the process's current folder and lists it again.
  const String& Directory() const { return directory_; }
  void SetDirectory(const String& folder);
  // Takes a path typed as "folder\", "folder\mask" or "mask": the folder part becomes the
  // Directory and a name part with '*' or '?' becomes the Mask; a name part that names a
  // folder is taken as the folder.
  void ApplyFilePath(const String& path);
  // Reads the folder again.
  void Update();

  const TStringList& Items() const { return items_; }

  // The list is never shown; the flag is kept for the forms that set it.
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }

 private:
  String mask_ = L"*.*";
  String directory_;
  TStringList items_;
  bool visible_ = true;
};
