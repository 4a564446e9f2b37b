#pragma once
// A main form living in a temporary program folder, with the clock, the random numbers, the
// tray area and the program folder replaced.
#include "app/NoteFile.h"
#include "app/TFR_MAIN.h"
#include "app/TFR_NOTE.h"
#include "classlib/FileUtils.h"
#include "classlib/Seams.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <utility>

namespace app_testing {

class TFakeProgramFolder : public seams::TProgramFolder {
 public:
  String Exe;
  String ExeName() override { return Exe; }
};

class TFakeTray : public seams::TTrayArea {
 public:
  struct Call {
    DWORD Message;
    UINT Flags;
    String Tip, Info, InfoTitle;
  };
  std::vector<Call> Calls;
  bool Notify(DWORD message, NOTIFYICONDATAW& data) override {
    Calls.push_back({message, data.uFlags, data.szTip, data.szInfo, data.szInfoTitle});
    return true;
  }
  int Balloons() const {
    int n = 0;
    for (const Call& c : Calls)
      if ((c.Flags & NIF_INFO) && c.Info[0] != L'\0') ++n;
    return n;
  }
};

class TFixedClock : public seams::TClock {
 public:
  TDateTime Value = 46365.5;  // 9 December 2026, noon
  TDateTime Now() override { return Value; }
  LCID Locale() override { return 0x409; }
};

// Answers the queued numbers first, then 0.
class TQueuedRandom : public seams::TRandom {
 public:
  std::deque<int> Values;
  int Next(int range) override {
    if (Values.empty()) return 0;
    int v = Values.front();
    Values.pop_front();
    return range > 0 ? v % range : 0;
  }
};

// A note's close handler that does something else first, once (closes or frees another note,
// say), then closes the note as it always does.
struct TCloseAfter : TObject {
  std::function<void()> First;
  TFR_NOTE* Note = nullptr;
  void Close(TObject* sender, TCloseAction& action) {
    if (auto first = std::exchange(First, nullptr)) first();
    Note->FormClose(sender, action);
  }
};

std::string ReadBytes(const String& path);
using testing_support::LayeredAlpha;
bool Topmost(HWND wnd);
void WriteBytes(const String& path, const std::string& bytes);

class AppTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Makes the main form as the entry does (reading or writing the settings file).
  void CreateMainForm();
  // The main form made with the pointer parked in the screen's corner and the notes folder there.
  void CreateMainFormWithNotesFolder();
  // Frees every note without closing it (so nothing is saved or deleted).
  void DropNotes();
  TFR_NOTE* NewNote(const String& text = L"");
  // The note active, its editor focused and the pointer over it, so that real keys reach it.
  void FocusEditorForKeys(TFR_NOTE* note);
  String NotesFolder() const { return folder_ + L"\\Notes\\"; }
  String SettingsFile() const { return folder_ + L"\\settings.ini"; }

  String folder_;
  TFakeProgramFolder programFolder_;
  TFakeTray tray_;
  TFixedClock clock_;
  TQueuedRandom random_;
  TFR_QNT_MAIN* main_ = nullptr;

 private:
  std::unique_ptr<seams::Scoped<seams::TProgramFolder>> useFolder_;
  std::unique_ptr<seams::Scoped<seams::TTrayArea>> useTray_;
  std::unique_ptr<seams::Scoped<seams::TClock>> useClock_;
  std::unique_ptr<seams::Scoped<seams::TRandom>> useRandom_;
};

}  // namespace app_testing
