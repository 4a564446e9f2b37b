#include "AppFixture.h"

#include "classlib/Streams.h"

namespace app_testing {

std::string ReadBytes(const String& path) { return ReadFileBytes(path); }

bool Topmost(HWND wnd) { return (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

void WriteBytes(const String& path, const std::string& bytes) {
  TFileStream file(path, fmCreate);
  file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void AppTest::SetUp() {
  folder_ = testing_support::MakeTempFolder(L"app");
  programFolder_.Exe = folder_ + L"Quillnote.exe";
  useFolder_ = std::make_unique<seams::Scoped<seams::TProgramFolder>>(programFolder_);
  useTray_ = std::make_unique<seams::Scoped<seams::TTrayArea>>(tray_);
  useClock_ = std::make_unique<seams::Scoped<seams::TClock>>(clock_);
  useRandom_ = std::make_unique<seams::Scoped<seams::TRandom>>(random_);
  testing_support::MessageBoxes().Boxes.clear();
  testing_support::MessageBoxes().Answer = IDOK;
}

void AppTest::CreateMainForm() { main_ = new TFR_QNT_MAIN(Application); }

void AppTest::DropNotes() {
  for (TFR_NOTE* note : OpenNotes()) note->Free();
  testing_support::PumpMessages(0);
  for (TFR_NOTE* note : OpenNotes()) note->Free();
}

TFR_NOTE* AppTest::NewNote(const String& text) {
  auto* note = new TFR_NOTE(Application);
  note->InitNewNote();
  note->Show();
  if (!text.empty()) note->reEdit->SetText(text);
  return note;
}

void AppTest::CreateMainFormWithNotesFolder() {
  SetCursorPos(1, 1);
  CreateMainForm();
  main_->EnsureNotesFolder();
}

void AppTest::FocusEditorForKeys(TFR_NOTE* note) {
  RECT r;
  GetWindowRect(note->reEdit->Handle(), &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SetForegroundWindow(note->Handle());
  note->reEdit->SetFocus();
  testing_support::PumpMessages(100);
  ASSERT_EQ(note->reEdit->Handle(), GetFocus());
}

void AppTest::TearDown() {
  DropNotes();
  if (main_) main_->Free();
  main_ = nullptr;
  testing_support::PumpMessages(0);
  useRandom_.reset();
  useClock_.reset();
  useTray_.reset();
  useFolder_.reset();
  testing_support::RemoveFolderTree(folder_);
}

}  // namespace app_testing
