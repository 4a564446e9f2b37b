#pragma once
// Lists of strings: the abstract list (what controls' item lists and the MRU entries share) and
// the string list with sorting, name=value access and loading and saving in several encodings.
#include "classlib/SysUtils.h"
#include "classlib/Types.h"

#include <string>
#include <vector>

class TStream;

// How text becomes bytes. Utf8 and the Utf16 ones write a byte-order mark (unless WriteBOM is
// off); Ansi is the system's ANSI code page and has none.
enum class TTextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

// Byte-order marks decide the encoding of bytes that begin with one (UTF-8, UTF-16 LE, UTF-16
// BE); bytes without one are ANSI. Invalid UTF-8 becomes U+FFFD.
String DecodeText(const std::string& bytes, TTextEncoding& found);
std::string EncodeText(const String& text, TTextEncoding encoding, bool withBOM);

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TObject {
 public:
  // What a descendant stores. Index errors are the descendant's to raise.
  virtual String Get(int index) const = 0;
  virtual int GetCount() const = 0;
  virtual void Insert(int index, const String& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  // Replaces a string, keeping its object (by default: delete and insert).
  virtual void Put(int index, const String& s);
  virtual TObject* GetObject(int) const { return nullptr; }
  virtual void PutObject(int, TObject*) {}

  virtual int Add(const String& s);
  int AddObject(const String& s, TObject* object);
  void InsertObject(int index, const String& s, TObject* object);
  // The first index whose string equals `s` (CompareStrings), or -1.
  virtual int IndexOf(const String& s) const;
  virtual void Move(int from, int to);

  int Count() const { return GetCount(); }
  String Strings(int index) const { return Get(index); }
  void SetStrings(int index, const String& s) { Put(index, s); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }

  // Nested updates: the change notification waits for the outermost EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // Every string followed by CR LF.
  String Text() const;
  // Splits at CR LF, CR and LF; a break at the very end makes no empty last line.
  virtual void SetText(const String& text);

  // name=value lines: names compare as CompareStrings does (without regard to case unless a
  // descendant says otherwise), are not trimmed, and the first match wins.
  wchar_t NameValueSeparator() const { return separator_; }
  void SetNameValueSeparator(wchar_t c) { separator_ = c; }
  // The part before the first separator; empty when the line has none.
  String Names(int index) const;
  String ValueFromIndex(int index) const;
  String Values(const String& name) const;
  // An empty value removes the line of that name; otherwise the line is replaced or added.
  void SetValue(const String& name, const String& value);
  virtual int IndexOfName(const String& name) const;

  void Assign(const TStrings& source);
  void AddStrings(const TStrings& source);

  // The encoding of the last load (Ansi before any); saving without one uses it, so a file
  // that is read and written back keeps its bytes.
  TTextEncoding Encoding() const { return encoding_; }
  void SetEncoding(TTextEncoding encoding) { encoding_ = encoding; }
  bool WriteBOM() const { return writeBOM_; }
  void SetWriteBOM(bool value) { writeBOM_ = value; }

  // Loading reads the stream from its position to its end. A descendant with its own format
  // (a rich-text editor's lines) overrides the two stream operations; the file operations go
  // through them.
  virtual void LoadFromStream(TStream& stream);
  void LoadFromFile(const String& fileName);
  virtual void SaveToStream(TStream& stream) const { SaveToStream(stream, encoding_); }
  void SaveToStream(TStream& stream, TTextEncoding encoding) const;
  // Replaces the file in one step (ReplaceFileContents): on failure the old file stays whole.
  void SaveToFile(const String& fileName) const;
  void SaveToFile(const String& fileName, TTextEncoding encoding) const;

 protected:
  // Told when the outermost update begins (true) and ends (false).
  virtual void SetUpdateState(bool) {}
  virtual int CompareStrings(const String& a, const String& b) const;
  [[noreturn]] void Error(const wchar_t* message, int index) const;

 private:
  int updateCount_ = 0;
  wchar_t separator_ = L'=';
  TTextEncoding encoding_ = TTextEncoding::Ansi;
  bool writeBOM_ = true;
};

class TStringList : public TStrings {
 public:
  TStringList() = default;
  ~TStringList() override;

  String Get(int index) const override;
  int GetCount() const override { return static_cast<int>(items_.size()); }
  void Insert(int index, const String& s) override;
  void Delete(int index) override;
  void Clear() override;
  void Put(int index, const String& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  // A sorted list puts the string in its place (and applies Duplicates).
  int Add(const String& s) override;
  int IndexOf(const String& s) const override;

  // Binary search of a sorted list: true when found; `index` is the place either way.
  bool Find(const String& s, int& index) const;
  virtual void Sort();

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates value) { duplicates_ = value; }
  // Off by default: strings compare in the user's collation without regard to case.
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value);

  // Around every change (once per outermost update).
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  void SetUpdateState(bool updating) override;
  int CompareStrings(const String& a, const String& b) const override;
  virtual void Changing();
  virtual void Changed();

 private:
  struct Item {
    String Text;
    TObject* Object = nullptr;
  };
  void CheckIndex(int index, int count) const;
  void InsertItem(int index, const String& s, TObject* object);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = TDuplicates::dupIgnore;
};
