#include "classlib/Strings.h"

#include "classlib/FileUtils.h"
#include "classlib/ScopeGuard.h"
#include "classlib/Streams.h"
#include "classlib/TextConv.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Encodings

namespace {

String FromUtf16(const std::string& bytes, size_t start, bool bigEndian) {
  String out;
  out.reserve((bytes.size() - start) / 2);
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
    const auto hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
    out.push_back(static_cast<wchar_t>(lo | (hi << 8)));
  }
  // A lone last byte cannot be a character.
  if ((bytes.size() - start) % 2) out.push_back(L'\xFFFD');
  return out;
}

std::string ToUtf16(const String& text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (wchar_t c : text) {
    const char lo = static_cast<char>(c & 0xFF);
    const char hi = static_cast<char>((c >> 8) & 0xFF);
    out.push_back(bigEndian ? hi : lo);
    out.push_back(bigEndian ? lo : hi);
  }
  return out;
}

bool StartsWith(const std::string& bytes, const char* mark, size_t n) {
  return bytes.size() >= n && bytes.compare(0, n, mark, n) == 0;
}

}  // namespace

String DecodeText(const std::string& bytes, TTextEncoding& found) {
  if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) {
    found = TTextEncoding::Utf8;
    return Utf8ToWide(bytes.substr(3));
  }
  if (StartsWith(bytes, "\xFF\xFE", 2)) {
    found = TTextEncoding::Utf16LE;
    return FromUtf16(bytes, 2, false);
  }
  if (StartsWith(bytes, "\xFE\xFF", 2)) {
    found = TTextEncoding::Utf16BE;
    return FromUtf16(bytes, 2, true);
  }
  found = TTextEncoding::Ansi;
  return AnsiToWide(bytes);
}

std::string EncodeText(const String& text, TTextEncoding encoding, bool withBOM) {
  switch (encoding) {
    case TTextEncoding::Utf8: return (withBOM ? "\xEF\xBB\xBF" : "") + WideToUtf8(text);
    case TTextEncoding::Utf16LE: return (withBOM ? "\xFF\xFE" : "") + ToUtf16(text, false);
    case TTextEncoding::Utf16BE: return (withBOM ? "\xFE\xFF" : "") + ToUtf16(text, true);
    case TTextEncoding::Ansi: break;
  }
  return WideToAnsi(text);
}

// ---------------------------------------------------------------------------------------------
// TStrings

namespace {

// Runs `change` as one update of `list`; the update also ends when the change raises, so that
// a failed change does not silence the list's notifications for good.
template <class Fn>
void InOneUpdate(TStrings& list, Fn&& change) {
  list.BeginUpdate();
  TScopeGuard endUpdate([&] { list.EndUpdate(); });
  change();
}

}  // namespace

void TStrings::Put(int index, const String& s) {
  TObject* object = GetObject(index);
  InOneUpdate(*this, [&] {
    Delete(index);
    InsertObject(index, s, object);
  });
}

int TStrings::Add(const String& s) {
  const int index = GetCount();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const String& s, TObject* object) {
  const int before = GetCount();
  const int index = Add(s);
  // A sorted list that ignores a duplicate keeps the item it has, object and all.
  if (GetCount() > before) PutObject(index, object);
  return index;
}

void TStrings::InsertObject(int index, const String& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

int TStrings::IndexOf(const String& s) const {
  const int n = GetCount();
  for (int i = 0; i < n; ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

void TStrings::Move(int from, int to) {
  if (from == to) return;
  const String s = Get(from);
  TObject* object = GetObject(from);
  InOneUpdate(*this, [&] {
    Delete(from);
    InsertObject(to, s, object);
  });
}

void TStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

String TStrings::Text() const {
  String text;
  const int n = GetCount();
  for (int i = 0; i < n; ++i) {
    text += Get(i);
    text += L"\r\n";
  }
  return text;
}

void TStrings::SetText(const String& text) {
  InOneUpdate(*this, [&] {
    Clear();
    size_t start = 0;
    const size_t n = text.size();
    while (start < n) {
      size_t end = text.find_first_of(L"\r\n", start);
      if (end == String::npos) end = n;
      Add(text.substr(start, end - start));
      start = end;
      if (start < n && text[start] == L'\r') ++start;
      if (start < n && text[start] == L'\n' && (start == end || text[start - 1] == L'\r')) ++start;
    }
  });
}

String TStrings::Names(int index) const {
  const String line = Get(index);
  const size_t at = line.find(separator_);
  return at == String::npos ? String() : line.substr(0, at);
}

String TStrings::ValueFromIndex(int index) const {
  const String line = Get(index);
  const size_t at = line.find(separator_);
  return at == String::npos ? String() : line.substr(at + 1);
}

String TStrings::Values(const String& name) const {
  const int index = IndexOfName(name);
  return index < 0 ? String() : ValueFromIndex(index);
}

void TStrings::SetValue(const String& name, const String& value) {
  const int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  const String line = name + separator_ + value;
  if (index < 0)
    Add(line);
  else
    Put(index, line);
}

int TStrings::IndexOfName(const String& name) const {
  const int n = GetCount();
  for (int i = 0; i < n; ++i) {
    const String line = Get(i);
    const size_t at = line.find(separator_);
    if (at != String::npos && CompareStrings(line.substr(0, at), name) == 0) return i;
  }
  return -1;
}

void TStrings::Assign(const TStrings& source) {
  if (&source == this) return;
  InOneUpdate(*this, [&] {
    Clear();
    separator_ = source.separator_;
    AddStrings(source);
  });
}

void TStrings::AddStrings(const TStrings& source) {
  InOneUpdate(*this, [&] {
    const int n = source.GetCount();
    for (int i = 0; i < n; ++i) AddObject(source.Get(i), source.GetObject(i));
  });
}

void TStrings::LoadFromStream(TStream& stream) {
  TTextEncoding found = TTextEncoding::Ansi;
  const String text = DecodeText(stream.ReadRest(), found);
  SetText(text);
  encoding_ = found;
}

void TStrings::LoadFromFile(const String& fileName) {
  TMemoryStream stream;
  stream.LoadFromFile(fileName);
  LoadFromStream(stream);
}

void TStrings::SaveToStream(TStream& stream, TTextEncoding encoding) const {
  stream.WriteBytes(EncodeText(Text(), encoding, writeBOM_));
}

void TStrings::SaveToFile(const String& fileName) const {
  TMemoryStream stream;
  SaveToStream(stream);
  ReplaceFileContents(fileName, stream.Bytes());
}

void TStrings::SaveToFile(const String& fileName, TTextEncoding encoding) const {
  ReplaceFileContents(fileName, EncodeText(Text(), encoding, writeBOM_));
}

int TStrings::CompareStrings(const String& a, const String& b) const {
  return AnsiCompareText(a, b);
}

void TStrings::Error(const wchar_t* message, int index) const {
  String text(message);
  const size_t at = text.find(L"%d");
  if (at != String::npos) text.replace(at, 2, IntToStr(index));
  throw EStringListError(text);
}

// ---------------------------------------------------------------------------------------------
// TStringList

TStringList::~TStringList() {
  // No change events from a list that is going away.
  OnChange.Clear();
  OnChanging.Clear();
}

void TStringList::CheckIndex(int index, int count) const {
  if (index < 0 || index >= count) Error(L"List index out of bounds (%d)", index);
}

String TStringList::Get(int index) const {
  CheckIndex(index, GetCount());
  return items_[static_cast<size_t>(index)].Text;
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index, GetCount());
  return items_[static_cast<size_t>(index)].Object;
}

void TStringList::InsertItem(int index, const String& s, TObject* object) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

void TStringList::Insert(int index, const String& s) {
  if (sorted_) Error(L"Operation not allowed on sorted list", index);
  CheckIndex(index, GetCount() + 1);
  InsertItem(index, s, nullptr);
}

int TStringList::Add(const String& s) {
  int index = GetCount();
  if (sorted_ && Find(s, index)) {
    if (duplicates_ == TDuplicates::dupIgnore) return index;
    if (duplicates_ == TDuplicates::dupError) Error(L"String list does not allow duplicates", 0);
  }
  InsertItem(index, s, nullptr);
  return index;
}

void TStringList::Delete(int index) {
  CheckIndex(index, GetCount());
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Put(int index, const String& s) {
  if (sorted_) Error(L"Operation not allowed on sorted list", index);
  CheckIndex(index, GetCount());
  Changing();
  items_[static_cast<size_t>(index)].Text = s;
  Changed();
}

void TStringList::PutObject(int index, TObject* object) {
  CheckIndex(index, GetCount());
  Changing();
  items_[static_cast<size_t>(index)].Object = object;
  Changed();
}

int TStringList::IndexOf(const String& s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  int index = 0;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(const String& s, int& index) const {
  // The first of equal strings, so that duplicates are found from their start.
  int lo = 0, hi = GetCount() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const int c = CompareStrings(items_[static_cast<size_t>(mid)].Text, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;
    }
  }
  index = lo;
  return found;
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(items_.begin(), items_.end(), [this](const Item& a, const Item& b) {
    return CompareStrings(a.Text, b.Text) < 0;
  });
  Changed();
}

void TStringList::SetSorted(bool value) {
  if (value == sorted_) return;
  if (value) Sort();
  sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == caseSensitive_) return;
  caseSensitive_ = value;
  if (sorted_) Sort();
}

int TStringList::CompareStrings(const String& a, const String& b) const {
  return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    OnChanging(this);
  else
    OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0) OnChange(this);
}
