#include "classlib/Streams.h"

#include "classlib/FileUtils.h"
#include "classlib/Seams.h"
#include "classlib/TextConv.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// TStream

int64_t TStream::Size() {
  const int64_t here = Seek(0, TSeekOrigin::soCurrent);
  const int64_t end = Seek(0, TSeekOrigin::soEnd);
  Seek(here, TSeekOrigin::soBeginning);
  return end;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count > 0 && Read(buffer, count) != count) throw EReadError(L"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count > 0 && Write(buffer, count) != count) throw EWriteError(L"Stream write error");
}

std::string TStream::ReadRest() {
  const int64_t rest = Size() - Position();
  std::string bytes(static_cast<size_t>(std::max<int64_t>(rest, 0)), '\0');
  ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

// ---------------------------------------------------------------------------------------------
// THandleStream

namespace {
// ReadFile and WriteFile move at most 2^32-1 bytes per call: go in chunks until done or stuck.
template <class Fn>
int64_t InChunks(int64_t count, Fn&& transfer) {
  constexpr int64_t kMaxChunk = 1 << 30;
  int64_t done = 0;
  while (done < count) {
    DWORD n = 0;
    if (!transfer(done, static_cast<DWORD>(std::min(count - done, kMaxChunk)), n) || n == 0) break;
    done += n;
  }
  return done;
}
}  // namespace

int64_t THandleStream::Read(void* buffer, int64_t count) {
  auto* p = static_cast<char*>(buffer);
  return InChunks(count, [&](int64_t at, DWORD want, DWORD& n) {
    return ReadFile(handle_, p + at, want, &n, nullptr) != FALSE;
  });
}

int64_t THandleStream::Write(const void* buffer, int64_t count) {
  const auto* p = static_cast<const char*>(buffer);
  return InChunks(count, [&](int64_t at, DWORD want, DWORD& n) {
    return WriteFile(handle_, p + at, want, &n, nullptr) != FALSE;
  });
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
  static const DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER result;
  result.QuadPart = -1;
  if (!SetFilePointerEx(handle_, distance, &result, kMethods[static_cast<int>(origin)]))
    return -1;
  return result.QuadPart;
}

void THandleStream::SetSize(int64_t size) {
  const int64_t here = Position();
  SetPosition(size);
  if (!SetEndOfFile(handle_)) RaiseLastOSError();
  if (here < size) SetPosition(here);
}

// ---------------------------------------------------------------------------------------------
// TFileStream

namespace {

DWORD ShareFlags(unsigned mode) {
  switch (mode & 0xF0) {
    case fmShareDenyWrite: return FILE_SHARE_READ;
    case fmShareDenyRead: return FILE_SHARE_WRITE;
    case fmShareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0;
  }
}

DWORD AccessFlags(unsigned mode) {
  switch (mode & 0x3) {
    case fmOpenWrite: return GENERIC_WRITE;
    case fmOpenReadWrite: return GENERIC_READ | GENERIC_WRITE;
    default: return GENERIC_READ;
  }
}

}  // namespace

TFileStream::TFileStream(const String& fileName, unsigned mode)
    : THandleStream(INVALID_HANDLE_VALUE), fileName_(fileName) {
  const bool create = (mode & fmCreate) == fmCreate;
  const DWORD access = create ? GENERIC_READ | GENERIC_WRITE : AccessFlags(mode);
  handle_ = CreateFileW(fileName.c_str(), access, ShareFlags(mode), nullptr,
                        create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (create) throw EFCreateError(FileErrorMessage(L"Cannot create file", fileName, code));
    throw EFOpenError(FileErrorMessage(L"Cannot open file", fileName, code));
  }
}

TFileStream::~TFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

// ---------------------------------------------------------------------------------------------
// TMemoryStream

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  const int64_t size = Size();
  if (count <= 0 || position_ < 0 || position_ >= size) return 0;
  const int64_t n = std::min(count, size - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0 || position_ < 0) return 0;
  const int64_t end = position_ + count;
  if (end > Size()) data_.resize(static_cast<size_t>(end), '\0');
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning: position_ = offset; break;
    case TSeekOrigin::soCurrent: position_ += offset; break;
    case TSeekOrigin::soEnd: position_ = Size() + offset; break;
  }
  return position_;
}

void TMemoryStream::SetSize(int64_t size) {
  data_.resize(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  if (position_ > Size()) position_ = Size();
}

void TMemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  data_ = stream.ReadRest();
  position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& stream) { stream.WriteBytes(data_); }

void TMemoryStream::LoadFromFile(const String& fileName) {
  data_ = ReadFileBytes(fileName);
  position_ = 0;
}

void TMemoryStream::SaveToFile(const String& fileName) { ReplaceFileContents(fileName, data_); }

// ---------------------------------------------------------------------------------------------
// TStringStream

TStringStream::TStringStream(const String& text, UINT codePage) : codePage_(codePage) {
  data_ = WideToAnsi(text, codePage);
}

TStringStream::TStringStream(const std::string& bytes, UINT codePage) : codePage_(codePage) {
  data_ = bytes;
}

String TStringStream::DataString() const { return AnsiToWide(data_, codePage_); }

String TStringStream::ReadString(int64_t count) {
  const int64_t n = std::max<int64_t>(0, std::min(count, Size() - position_));
  std::string bytes(static_cast<size_t>(n), '\0');
  Read(bytes.data(), n);
  return AnsiToWide(bytes, codePage_);
}

void TStringStream::WriteString(const String& text) { WriteBytes(WideToAnsi(text, codePage_)); }

// ---------------------------------------------------------------------------------------------
// Whole files

std::string ReadFileBytes(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  return file.ReadRest();
}

namespace {

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

// Creates a temporary file beside the target that did not exist before.
FileHandle CreateTempBeside(const String& fileName, String& tempName) {
  static std::atomic<unsigned> counter{0};
  const String stem = ExtractFilePath(fileName) + L"~" + ExtractFileName(fileName) + L".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const unsigned n = counter.fetch_add(1) ^ (GetCurrentProcessId() << 12);
    tempName = stem + IntToHex(n, 1) + L".tmp";
    HANDLE h = CreateFileW(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return FileHandle(h);
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw EFCreateError(FileErrorMessage(L"Cannot create file", fileName, GetLastError()));
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  const auto count = static_cast<int64_t>(bytes.size());
  return THandleStream(file).Write(bytes.data(), count) == count;
}

}  // namespace

void ReplaceFileContents(const String& fileName, const std::string& bytes) {
  String tempName;
  FileHandle temp = CreateTempBeside(fileName, tempName);
  bool ok = WriteAll(temp.get(), bytes) && FlushFileBuffers(temp.get());
  DWORD code = ok ? ERROR_SUCCESS : GetLastError();
  temp.reset();
  if (ok) {
    ok = seams::FileReplacement().MoveOver(tempName, fileName);
    if (!ok) code = GetLastError();
  }
  if (ok) return;
  ::DeleteFileW(tempName.c_str());
  throw EWriteError(FileErrorMessage(L"Cannot write file", fileName, code));
}
