#include "app/NoteFile.h"

#include "app/TFR_MAIN.h"
#include "app/TFR_NOTE.h"
#include "classlib/FileUtils.h"
#include "classlib/Streams.h"
#include "classlib/TextConv.h"

#include <algorithm>
#include <cwctype>

namespace {

constexpr int kFieldMax = 0xFFFFFF;

int Clamp(int value, int low, int high) { return std::min(std::max(value, low), high); }

int HexField(const String& header, size_t start, size_t digits) {
  String field = start < header.size() ? header.substr(start, digits) : String();
  return StrToInt(L"0x" + field);
}

bool NameInUse(const String& folder, const String& name) {
  if (FileExists(folder + name)) return true;
  for (TCustomForm* form : Screen->FormsSnapshot()) {
    auto* note = dynamic_cast<TFR_NOTE*>(form);
    if (note && SameText(note->FileName, name)) return true;
  }
  return false;
}

}  // namespace

String EncodeNoteHeader(const TNoteHeader& h) {
  int color = ColorToRGB(h.Color) & kFieldMax;
  return IntToHex(Clamp(h.Left, 0, kFieldMax), 6) + IntToHex(Clamp(h.Top, 0, kFieldMax), 6) +
         IntToHex(Clamp(h.Width, 0, kFieldMax), 6) + IntToHex(Clamp(h.Height, 0, kFieldMax), 6) +
         IntToHex(Clamp(h.Opacity, 10, 100), 6) + IntToHex(color, 6) + (h.OnTop ? L"01" : L"00");
}

TNoteHeader DecodeNoteHeader(const String& line) {
  TNoteHeader h;
  h.Left = HexField(line, 0, 6);
  h.Top = HexField(line, 6, 6);
  h.Width = HexField(line, 12, 6);
  h.Height = HexField(line, 18, 6);
  h.Color = HexField(line, 30, 6);
  String onTop = Trim(line.size() > 36 ? line.substr(36, 2) : String());
  h.OnTop = !onTop.empty() && StrToInt(L"0x" + onTop) != 0;
  h.Opacity = HexField(line, 24, 6);
  return h;
}

String NewNoteFileName(const String& notesFolder) {
  String digits;
  for (wchar_t c : DateTimeText(Now()))
    if (c >= L'0' && c <= L'9') digits += c;
  String name = digits + L".qwn";
  for (int n = 2; NameInUse(notesFolder, name); ++n) name = digits + L"-" + IntToStr(n) + L".qwn";
  return name;
}

bool IsSaveLeftover(const String& name) {
  const String tail = L".tmp";
  if (name.size() < 2 + tail.size() || name[0] != L'~' || !MatchesMask(name, L"~*.qwn.*.tmp"))
    return false;
  const size_t end = name.size() - tail.size();
  const size_t dot = name.rfind(L'.', end - 1);
  if (dot == String::npos || dot + 1 == end) return false;
  return std::all_of(name.begin() + static_cast<ptrdiff_t>(dot + 1), name.begin() + static_cast<ptrdiff_t>(end),
                     [](wchar_t c) { return std::iswxdigit(c) != 0; });
}

std::string EncodeNoteFile(const TNoteFile& file) {
  TStringList lines;
  lines.Add(EncodeNoteHeader(file.Header));
  lines.Add(file.Title);
  lines.Add(AnsiToWide(file.Rtf));
  TMemoryStream bytes;
  lines.SaveToStream(bytes, TTextEncoding::Utf8);
  return bytes.Bytes();
}

TNoteFile DecodeNoteFile(const std::string& bytes) {
  TStringList lines;
  {
    TMemoryStream stream;
    stream.WriteBytes(bytes);
    stream.SetPosition(0);
    lines.LoadFromStream(stream);
  }
  if (lines.Count() < 2) throw EConvertError(L"Not a note file");
  TNoteFile file;
  file.Header = DecodeNoteHeader(lines.Strings(0));
  file.Title = lines.Strings(1);
  String body;
  for (int i = 2; i < lines.Count(); ++i) body += lines.Strings(i) + L"\r\n";
  file.Rtf = WideToAnsi(body);
  return file;
}

std::string NoteFileBytes(TFR_NOTE& note) {
  TNoteFile file;
  file.Header = {note.Left(), note.Top(), note.Width(), note.Height(),
                 note.NoteOpacity, note.NoteColor(), note.OnTop};
  file.Title = note.pnTitlePanel->Caption();
  {
    TRichTextStreaming rich(*note.reEdit);
    file.Rtf = note.reEdit->RtfText();
  }
  return EncodeNoteFile(file);
}

namespace {

// Whether the file already holds what a save would write, so that it can stay untouched.
bool FileHolds(const TFR_NOTE& note, const String& path, const std::string& bytes) {
  if (!FileExists(path)) return false;
  std::string onDisk;
  try {
    onDisk = ReadFileBytes(path);
  } catch (const Exception&) {
    return false;  // unreadable now: written anew
  }
  if (onDisk == bytes) return true;
  // An odd but readable file that the note was read from and that neither side has changed
  // since: writing it would only drop what the editor does not keep.
  return !note.KeptFileBytes.empty() && onDisk == note.KeptFileBytes && bytes == note.KeptNoteBytes;
}

}  // namespace

bool SaveNote(TFR_NOTE& note, const String& folder, String* failure) {
  note.UnbindChangeHandler();
  bool saved = false;
  try {
    if (note.Left() < 0 || note.Top() < 0)
      note.SetBounds(std::max(note.Left(), 0), std::max(note.Top(), 0), note.Width(), note.Height());
    const std::string bytes = NoteFileBytes(note);
    const String path = folder + note.FileName;
    if (!FileHolds(note, path, bytes)) {
      ReplaceFileContents(path, bytes);
      // The file is the note's own from now on.
      note.KeptFileBytes.clear();
      note.KeptNoteBytes.clear();
    }
    saved = true;
  } catch (const Exception& e) {
    // The previous file stays as it was; the caller decides whether the user hears of it.
    if (failure) *failure = e.Message();
  } catch (...) {
    if (failure) *failure = L"The note could not be written.";
  }
  note.reEdit->SetPlainText(true);
  note.BindChangeHandler();
  return saved;
}

void LoadNote(TFR_NOTE& note, const String& folder, const String& name) {
  note.FileName = name;
  const std::string fileBytes = ReadFileBytes(folder + name);
  TNoteFile file;
  try {
    file = DecodeNoteFile(fileBytes);
  } catch (const EConvertError& e) {
    throw EConvertError(e.Message() + L": " + name);
  }
  TNoteHeader& h = file.Header;
  note.pnTitlePanel->SetCaption(file.Title);

  // A size beyond the screens is no size a note had; a place beyond them is moved back.
  int virtualWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int virtualHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  h.Width = std::min(h.Width, virtualWidth);
  h.Height = std::min(h.Height, virtualHeight);
  if (h.Left >= virtualWidth) h.Left = virtualWidth - h.Width;
  if (h.Top >= virtualHeight) h.Top = virtualHeight - h.Height;

  const std::string& rtf = file.Rtf;
  // Checked before anything reaches the control: what it cannot read takes the whole
  // program down with it. A long paragraph is only slow to lay out, and the user may have
  // written one: the note comes back whatever its paragraphs' length.
  if (!IsReadableRtf(rtf, kNoRtfParagraphLimit)) throw EConvertError(L"The note's text cannot be read safely: " + name);

  // Placed before its windows are made (loading the text makes them), so that they are made
  // at their size once instead of being made and then laid out again.
  note.SetBounds(h.Left, h.Top, h.Width, h.Height);
  note.SetNoteColor(h.Color);
  note.OnTop = h.OnTop;
  note.tbAlwaysOnTop->SetChecked(note.OnTop);
  note.SetOpacity(h.Opacity);
  if (note.OnTop) note.ApplyAlwaysOnTop();

  {
    TRichTextStreaming rich(*note.reEdit);
    note.reEdit->SetRtfText(rtf);
  }
  // A body that gives no text is no note: it is not shown, and its file is left alone.
  if (Trim(note.reEdit->Text()).empty()) throw EConvertError(L"The note has no text: " + name);

  // A file that the note would write otherwise is kept as it is until the note changes.
  std::string noteBytes = NoteFileBytes(note);
  if (noteBytes != fileBytes) {
    note.KeptFileBytes = fileBytes;
    note.KeptNoteBytes = std::move(noteBytes);
  }
  note.Show();
  note.BindChangeHandler();
}
