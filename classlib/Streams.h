#pragma once
// Byte streams: the abstract stream, streams over file handles, and streams in memory.
// Byte blobs travel as std::string (bytes, not text).
#include "classlib/SysUtils.h"
#include "classlib/Types.h"

#include <cstdint>
#include <string>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
 public:
  // Reads or writes up to `count` bytes at the position and moves it on; returns the count done.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t size) = 0;

  // All or nothing: raise EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);

  // The bytes from the position to the end / writes all of `bytes` (helpers for text codecs).
  std::string ReadRest();
  void WriteBytes(const std::string& bytes) {
    WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
};

// File open modes: one access mode, optionally combined with one share mode.
enum : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,  // like fmShareExclusive
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  // Creates the file, or empties an existing one, for reading and writing.
  fmCreate = 0xFF00,
};

// A stream over a handle it does not own.
class THandleStream : public TStream {
 public:
  explicit THandleStream(HANDLE handle) : handle_(handle) {}
  HANDLE Handle() const { return handle_; }

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;

 protected:
  HANDLE handle_;
};

// A stream over a file it opens and closes. Raises EFCreateError or EFOpenError with the
// file name and the system's reason.
class TFileStream : public THandleStream {
 public:
  TFileStream(const String& fileName, unsigned mode);
  ~TFileStream() override;
  const String& FileName() const { return fileName_; }

 private:
  String fileName_;
};

// A growable block of memory. Seeking beyond the end is allowed; writing there fills the gap
// with zeros.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t size) override;

  void* Memory() { return data_.data(); }
  const std::string& Bytes() const { return data_; }
  void Clear();

  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream);
  void LoadFromFile(const String& fileName);
  // Writes through a temporary file that then replaces the target (see ReplaceFileContents).
  void SaveToFile(const String& fileName);

 protected:
  std::string data_;
  int64_t position_ = 0;
};

// A memory stream whose bytes are a text in one code page (CP_ACP unless told otherwise;
// CP_UTF8 works too).
class TStringStream : public TMemoryStream {
 public:
  explicit TStringStream(const String& text = String(), UINT codePage = CP_ACP);
  // The bytes as they are, taken as text in `codePage`.
  TStringStream(const std::string& bytes, UINT codePage);

  // All the bytes, decoded in the stream's code page.
  String DataString() const;
  UINT CodePage() const { return codePage_; }
  // Reads `count` bytes (or up to the end) as text / writes a text at the position.
  String ReadString(int64_t count);
  void WriteString(const String& text);

 private:
  UINT codePage_;
};

// The whole contents of a file; raises EFOpenError or EReadError.
std::string ReadFileBytes(const String& fileName);

// Replaces the contents of `fileName` in one step: the bytes go to a new temporary file in the
// same folder ("~" + name + "." + a number + ".tmp", which no "*.qwn"-like mask matches, not
// even through its short name), which is flushed to disk and then moved over the target.
// Raises EFCreateError when the temporary file cannot be created and EWriteError when writing
// or replacing fails; the old file then stays whole and the temporary file is removed.
void ReplaceFileContents(const String& fileName, const std::string& bytes);
