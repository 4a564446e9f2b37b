#pragma once
// The note file: a UTF-8 text with a byte-order mark and CR LF line ends; line 1 is a header
// of 38 hexadecimal digits (left, top, width, height, opacity, colour: six digits each, then
// two for always-on-top), line 2 the title, the rest the note as RTF.
#include "classlib/Types.h"

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

// Writes the note's file in one step (the old file stays whole when anything fails); reports
// nothing. The editor is back in plain-text streaming and the change handler bound afterwards.
void SaveNote(TFR_NOTE& note);
// Fills a fresh note window from its file and shows it; raises on a bad file, leaving the
// window hidden.
void LoadNote(TFR_NOTE& note, const String& name);
