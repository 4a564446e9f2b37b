// The most-recently-used file list and the item that shows it inside a menu.
#include "items/TB2MRU.h"

#include "classlib/FileUtils.h"
#include "classlib/SysUtils.h"

#include <commdlg.h>

namespace {

constexpr int kDigitKeys = 9;   // &1 .. &9
constexpr int kLetterKeys = 26;  // then &A .. &Z

// The accelerator of the entry with this key number, or 0 past the last one.
wchar_t AcceleratorOf(int Key) {
  if (Key >= 0 && Key < kDigitKeys) return static_cast<wchar_t>(L'1' + Key);
  if (Key >= kDigitKeys && Key < kDigitKeys + kLetterKeys) return static_cast<wchar_t>(L'A' + (Key - kDigitKeys));
  return 0;
}

}  // namespace

String tb2mru_detail::FileTitleOf(const String& FileName) {
  wchar_t title[MAX_PATH] = {};
  return GetFileTitleW(FileName.c_str(), title, MAX_PATH) == 0 ? String(title) : FileName;
}

// --- the entries -----------------------------------------------------------------------------

void TTBMRUListStrings::Changed() {
  const std::shared_ptr<bool> alive = list_->alive_;
  list_->SetItemCaptions();
  if (*alive && !(list_->ComponentState() & csLoading)) list_->OnChange(list_);
}

void TTBMRUListStrings::Insert(int Index, const String& S) {
  if (Index < 0 || Index > GetCount()) Error(L"List index out of bounds (%d)", Index);
  TTBCustomItem* container = list_->containerItem_;
  TTBCustomItem* item = list_->GetItemClass()(container);
  item->OnClick = TNotifyEvent(list_, &TTBMRUList::ClickHandler);
  try {
    container->Insert(Index, item);
  } catch (...) {
    item->Free();
    throw;
  }
  strings_.Insert(Index, S);
  Changed();
}

void TTBMRUListStrings::Delete(int Index) {
  if (Index < 0 || Index >= GetCount()) Error(L"List index out of bounds (%d)", Index);
  list_->containerItem_->Items(Index)->Free();
  strings_.Delete(Index);
  Changed();
}

void TTBMRUListStrings::Put(int Index, const String& S) {
  strings_.Put(Index, S);
  Changed();
}

void TTBMRUListStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  strings_.Move(CurIndex, NewIndex);
  list_->containerItem_->Move(CurIndex, NewIndex);
  Changed();
}

void TTBMRUListStrings::Clear() {
  // One entry at a time, the oldest first, each with its notification.
  const std::shared_ptr<bool> alive = list_->alive_;
  while (*alive && GetCount() > 0) Delete(GetCount() - 1);
}

int TTBMRUListStrings::IndexOf(const String& S) const {
  for (int i = 0; i < GetCount(); ++i)
    if (AnsiCompareFileName(strings_.Get(i), S) == 0) return i;
  return -1;
}

// --- the list --------------------------------------------------------------------------------

TTBMRUList::TTBMRUList(TComponent* AOwner)
    : TComponent(AOwner), containerItem_(new TTBCustomItem(nullptr)), items_(std::make_unique<TTBMRUListStrings>(this)) {}

TTBMRUList::~TTBMRUList() {
  *alive_ = false;
  TComponent::FreeAndNil(containerItem_);
  items_.reset();
}

int TTBMRUList::GetFirstKey() { return 0; }

TTBCustomItemClass TTBMRUList::GetItemClass() { return CreateItemOf<TTBCustomItem>; }

void TTBMRUList::SetHidePathExtension(bool Value) {
  if (Value == hidePathExtension_) return;
  hidePathExtension_ = Value;
  SetItemCaptions();
}

void TTBMRUList::SetMaxItems(int Value) {
  // Trimming to a negative count would delete past the empty list.
  maxItems_ = Max(Value, 0);
  SetItemCaptions();
}

void TTBMRUList::Add(String FileName) {
  if (addFullPath_) FileName = ExpandFileName(FileName);
  const int index = items_->IndexOf(FileName);
  if (index < 0) {
    items_->Insert(0, FileName);
    return;
  }
  if (index > 0) {
    const std::shared_ptr<bool> alive = alive_;
    items_->Move(index, 0);
    if (!*alive) return;
  }
  // The new spelling wins, wherever a handler of the move left the entry.
  const int moved = items_->IndexOf(FileName);
  if (moved >= 0) items_->Put(moved, FileName);
}

void TTBMRUList::Remove(const String& FileName) {
  const int index = items_->IndexOf(FileName);
  if (index >= 0) items_->Delete(index);
}

String TTBMRUList::KeyName(int Number) const { return prefix_ + IntToStr(Number); }

void TTBMRUList::Load(TCustomIniFile& IniFile, const String& Section) {
  const std::shared_ptr<bool> alive = alive_;
  items_->Clear();
  for (int n = 1; *alive && n <= maxItems_; ++n) {
    const String value = IniFile.ReadString(Section, KeyName(n), String());
    if (!value.empty()) items_->Add(value);
  }
}

void TTBMRUList::Save(TCustomIniFile& IniFile, const String& Section) {
  for (int n = 1; n <= maxItems_; ++n) {
    if (n <= items_->Count())
      IniFile.WriteString(Section, KeyName(n), items_->Get(n - 1));
    else
      IniFile.DeleteKey(Section, KeyName(n));
  }
}

void TTBMRUList::LoadFromIni(TCustomIniFile& IniFile, const String& Section) { Load(IniFile, Section); }
void TTBMRUList::LoadFromRegIni(TRegIniFile& IniFile, const String& Section) { Load(IniFile, Section); }
void TTBMRUList::SaveToIni(TCustomIniFile& IniFile, const String& Section) { Save(IniFile, Section); }
void TTBMRUList::SaveToRegIni(TRegIniFile& IniFile, const String& Section) { Save(IniFile, Section); }

String TTBMRUList::CaptionFor(int Key, const String& FileName) const {
  // File names never make accelerators of their own.
  const String text = EscapeAmpersands(hidePathExtension_ ? tb2mru_detail::FileTitleOf(FileName) : FileName);
  const wchar_t accelerator = AcceleratorOf(Key);
  return accelerator ? String(L"&") + accelerator + L" " + text : text;
}

void TTBMRUList::SetItemCaptions() {
  // Each deletion below comes back here; the captions are made once the list is short enough.
  if (trimming_) return;
  const std::shared_ptr<bool> alive = alive_;
  trimming_ = true;
  try {
    while (items_->Count() > maxItems_) {
      items_->Delete(items_->Count() - 1);
      if (!*alive) return;
    }
  } catch (...) {
    if (*alive) trimming_ = false;
    throw;
  }
  trimming_ = false;
  const int count = Min(containerItem_->Count(), items_->Count());
  int key = GetFirstKey();
  for (int i = 0; i < count; ++i, ++key) containerItem_->Items(i)->SetCaption(CaptionFor(key, items_->Get(i)));
}

void TTBMRUList::ClickHandler(TObject* Sender) {
  auto* item = dynamic_cast<TTBCustomItem*>(Sender);
  const int index = item ? containerItem_->IndexOf(item) : -1;
  if (index < 0) return;
  // The name is taken first: the move's OnChange may clear or reorder the list.
  const String fileName = items_->Get(index);
  if (index > 0) {
    const std::shared_ptr<bool> alive = alive_;
    items_->Move(index, 0);
    if (!*alive) return;
  }
  OnClick(this, fileName);
}

// --- the item that shows a list ------------------------------------------------------------------

TTBMRUListItem::TTBMRUListItem(TComponent* AOwner) : TTBCustomItem(AOwner) {
  SetItemStyle(ItemStyle() | tbisEmbeddedGroup);
  SetCaption(L"(MRU List)");
}

void TTBMRUListItem::SetMRUList(TTBMRUList* Value) {
  if (Value == mruList_) return;
  if (mruList_) mruList_->RemoveFreeNotification(this);
  mruList_ = Value;
  if (mruList_) {
    mruList_->FreeNotification(this);
    SetLinkSubitems(mruList_->ContainerItem());
  } else {
    SetLinkSubitems(nullptr);
  }
}

void TTBMRUListItem::Notification(TComponent* AComponent, TOperation Operation) {
  TTBCustomItem::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent && AComponent == mruList_) SetMRUList(nullptr);
}
