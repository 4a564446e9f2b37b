#pragma once
// The most-recently-used file list: a component that keeps file names newest first, one menu
// item per entry in a container item of its own (captions numbered with accelerators), reports
// the entry chosen with its file name, and loads and saves the list in an INI file or under a
// registry key; and the item that shows such a list's entries in place inside a menu.
#include "classlib/IniFiles.h"
#include "classlib/Strings.h"
#include "items/TB2Item.h"

#include <memory>

class TTBMRUList;

using TTBMRUListClickEvent = TEvent<void(TObject* Sender, const String& Filename)>;

// The entries: every change is mirrored in the list's container item, then the captions are made
// again and the list's OnChange is told (not while the list is being loaded from a form).
// File names compare without regard to case.
class TTBMRUListStrings : public TStrings {
 public:
  explicit TTBMRUListStrings(TTBMRUList* AList) : list_(AList) {}

  String Get(int Index) const override { return strings_.Get(Index); }
  int GetCount() const override { return strings_.GetCount(); }
  void Put(int Index, const String& S) override;
  void Clear() override;
  void Delete(int Index) override;
  int IndexOf(const String& S) const override;
  void Insert(int Index, const String& S) override;
  void Move(int CurIndex, int NewIndex) override;

 private:
  void Changed();

  TTBMRUList* list_;
  TStringList strings_;
};

class TTBMRUList : public TComponent {
 public:
  explicit TTBMRUList(TComponent* AOwner);
  ~TTBMRUList() override;

  // With AddFullPath the name is expanded first; an entry already there (in any letter case)
  // moves to the top and takes the new spelling, any other goes on top.
  void Add(String FileName);
  // The entry with this name as given (not expanded), if there is one.
  void Remove(const String& FileName);

  // Prefix1 .. PrefixMaxItems of the section, empty values skipped; a load writes nothing.
  void LoadFromIni(TCustomIniFile& IniFile, const String& Section);
  void LoadFromRegIni(TRegIniFile& IniFile, const String& Section);
  // Prefix1 .. Prefix<count> written, the rest up to MaxItems deleted, higher keys left alone.
  void SaveToIni(TCustomIniFile& IniFile, const String& Section);
  void SaveToRegIni(TRegIniFile& IniFile, const String& Section);

  // The entries' menu items, one per entry in the same order; owned by the list.
  TTBCustomItem* ContainerItem() const { return containerItem_; }

  bool AddFullPath() const { return addFullPath_; }
  void SetAddFullPath(bool Value) { addFullPath_ = Value; }
  bool HidePathExtension() const { return hidePathExtension_; }
  void SetHidePathExtension(bool Value);
  int MaxItems() const { return maxItems_; }
  // Trims the list at once; a negative value counts as 0.
  void SetMaxItems(int Value);
  TStrings& Items() const { return *items_; }
  void SetItems(const TStrings& Value) { items_->Assign(Value); }
  const String& Prefix() const { return prefix_; }
  void SetPrefix(const String& Value) { prefix_ = Value; }

  TTBMRUListClickEvent OnClick;
  TNotifyEvent OnChange;

 protected:
  // The accelerator index of the first entry.
  virtual int GetFirstKey();
  // The class of the entries' menu items.
  virtual TTBCustomItemClass GetItemClass();
  // Trims the list to MaxItems, then numbers and names every entry's menu item.
  virtual void SetItemCaptions();

 private:
  friend class TTBMRUListStrings;
  // Every entry's menu item calls this when clicked.
  void ClickHandler(TObject* Sender);
  void Load(TCustomIniFile& IniFile, const String& Section);
  void Save(TCustomIniFile& IniFile, const String& Section);
  String KeyName(int Number) const;
  String CaptionFor(int Key, const String& FileName) const;

  bool addFullPath_ = true;
  bool hidePathExtension_ = true;
  int maxItems_ = 4;
  String prefix_ = L"MRU";
  TTBCustomItem* containerItem_;
  std::unique_ptr<TTBMRUListStrings> items_;
  bool trimming_ = false;
  // False once the list is gone: a handler it calls may free it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Shows the entries of an MRU list in place inside its parent menu.
class TTBMRUListItem : public TTBCustomItem {
 public:
  explicit TTBMRUListItem(TComponent* AOwner);
  TTBMRUList* MRUList() const { return mruList_; }
  void SetMRUList(TTBMRUList* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TTBMRUList* mruList_ = nullptr;
};

namespace tb2mru_detail {
// The file title the system gives a name, or the name itself when it gives none: GetFileTitle
// succeeds only with 0 (a positive answer is the buffer size it would need).
String FileTitleOf(const String& FileName);
}  // namespace tb2mru_detail
