#pragma once
// Reading a clip: what the clipboard holds, or what a data object offers (a drop), format by
// format as bytes.
#include "classlib/Types.h"

#include <optional>
#include <string>

struct IDataObject;

// The formats of a clip that are held in global memory, as bytes.
class TClipReader {
 public:
  virtual ~TClipReader() = default;
  // The bytes of `format`; nothing when the clip does not hold it.
  virtual std::optional<std::string> Read(UINT format) = 0;
};

// The clipboard, open for the life of the object; when another program holds it open, it reads
// as empty.
class TClipboardReader : public TClipReader {
 public:
  explicit TClipboardReader(HWND owner);
  ~TClipboardReader() override;
  TClipboardReader(const TClipboardReader&) = delete;
  TClipboardReader& operator=(const TClipboardReader&) = delete;

  std::optional<std::string> Read(UINT format) override;

 private:
  bool open_;
};

// A data object's formats on global memory; the object stays its owner's.
class TDataObjectReader : public TClipReader {
 public:
  explicit TDataObjectReader(IDataObject* data) : data_(data) {}
  std::optional<std::string> Read(UINT format) override;

 private:
  IDataObject* data_;
};

// The id of the "Rich Text Format" clipboard format.
UINT RichTextClipFormat();

// The bytes of text formats up to their first terminating zero (one byte, or one wide character).
std::string BytesBeforeZero(const std::string& bytes);
String WideBeforeZero(const std::string& bytes);
