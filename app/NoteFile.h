#pragma once
// The note file: a UTF-8 text with a byte-order mark and CR LF line ends; line 1 is a header
// of 38 hexadecimal digits (left, top, width, height, opacity, colour: six digits each, then
// two for always-on-top), line 2 the title, the rest the note as RTF.
#include "classlib/Types.h"

#include <string>

class TFR_NOTE;

struct TNoteHeader {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Opacity = 100;
  int Color = 0;  // 0x00BBGGRR
  bool OnTop = false;
};

// Every field is brought into its range first, so the header always has its 38 digits.
String EncodeNoteHeader(const TNoteHeader& header);
// Raises EConvertError for a field that is missing or not hexadecimal; a header without the
// on-top digits reads as not on top.
TNoteHeader DecodeNoteHeader(const String& line);

// A new note's file name: the digits of the date-time text of now, then ".qwn"; a suffix keeps
// it apart from the files in the folder and the names of the open notes.
String NewNoteFileName(const String& notesFolder);

// A temporary file that a save left in the notes folder when it was cut off before its
// replace ("~" + note file name + "." + hexadecimal number + ".tmp").
bool IsSaveLeftover(const String& name);

// What a note file holds, and its bytes: UTF-8 with a byte-order mark, the header line, the
// title line, then the RTF (ANSI text, widened) and a line break.
struct TNoteFile {
  TNoteHeader Header;
  String Title;
  std::string Rtf;
};
std::string EncodeNoteFile(const TNoteFile& file);
// Any encoding the string lists read (UTF-8 with or without a byte-order mark, ANSI, UTF-16);
// the body's lines come back joined by CR LF. Raises EConvertError on fewer than two lines or a
// bad header.
TNoteFile DecodeNoteFile(const std::string& bytes);

// The bytes of the note's file for the note as it stands.
std::string NoteFileBytes(TFR_NOTE& note);

// Writes the note's file in one step (the old file stays whole when anything fails) when its
// bytes differ from the file's; a file that already holds them is left untouched. Never
// raises: false when the file could not be written, with the reason in `failure`. The editor
// is back in plain-text streaming and the change handler bound afterwards.
bool SaveNote(TFR_NOTE& note, const String& folder, String* failure = nullptr);
// Fills a fresh note window from its file and shows it; raises on a bad file, leaving the
// window hidden.
void LoadNote(TFR_NOTE& note, const String& folder, const String& name);
