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

void SaveNote(TFR_NOTE& note) {
  note.UnbindChangeHandler();
  try {
    note.NoteLines->Clear();
    if (note.Left() < 0 || note.Top() < 0)
      note.SetBounds(std::max(note.Left(), 0), std::max(note.Top(), 0), note.Width(), note.Height());
    TNoteHeader header{note.Left(), note.Top(), note.Width(), note.Height(),
                       note.NoteOpacity, note.NoteColor(), note.OnTop};
    note.NoteLines->Add(EncodeNoteHeader(header));
    note.NoteLines->Add(note.pnTitlePanel->Caption());
    note.reEdit->SetPlainText(false);
    note.NoteLines->Add(AnsiToWide(note.reEdit->RtfText()));
    TMemoryStream bytes;
    note.NoteLines->SaveToStream(bytes, TTextEncoding::Utf8);
    ReplaceFileContents(FR_QNT_MAIN->GetNotesFolder() + note.FileName, bytes.Bytes());
    note.NeedsSave = false;
  } catch (...) {
    // A failed save leaves the previous file as it was; the note stays open and dirty.
  }
  note.reEdit->SetPlainText(true);
  note.BindChangeHandler();
}

void LoadNote(TFR_NOTE& note, const String& name) {
  note.FileName = name;
  TStringList& lines = *note.NoteLines;
  lines.LoadFromFile(FR_QNT_MAIN->GetNotesFolder() + name);
  if (lines.Count() < 2) throw EConvertError(L"Not a note file: " + name);
  TNoteHeader h = DecodeNoteHeader(lines.Strings(0));
  note.pnTitlePanel->SetCaption(lines.Strings(1));

  // A size beyond the screens is no size a note had; a place beyond them is moved back.
  int virtualWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int virtualHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  h.Width = std::min(h.Width, virtualWidth);
  h.Height = std::min(h.Height, virtualHeight);
  if (h.Left >= virtualWidth) h.Left = virtualWidth - h.Width;
  if (h.Top >= virtualHeight) h.Top = virtualHeight - h.Height;

  note.SetNoteColor(h.Color);
  note.OnTop = h.OnTop;
  note.SetOpacity(h.Opacity);
  if (note.OnTop) note.ApplyAlwaysOnTop();

  lines.Delete(0);
  lines.Delete(0);
  String body;
  for (int i = 0; i < lines.Count(); ++i) body += lines.Strings(i) + L"\r\n";
  note.reEdit->SetPlainText(false);
  try {
    note.reEdit->SetRtfText(WideToAnsi(body));
  } catch (...) {
    note.reEdit->SetPlainText(true);
    throw;
  }
  note.reEdit->SetPlainText(true);
  lines.Clear();
  // A body that gives no text is no note: it is not shown, and its file is left alone.
  if (Trim(note.reEdit->Text()).empty()) throw EConvertError(L"The note has no text: " + name);

  note.SetBounds(h.Left, h.Top, h.Width, h.Height);
  note.Show();
  note.NeedsSave = false;
  note.BindChangeHandler();
}
