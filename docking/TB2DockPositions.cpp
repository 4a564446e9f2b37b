// Saving and loading where the named dockable windows of a component are: one section per
// window, through four callbacks, so that the same keys live in an INI file or the registry.
#include "docking/TB2Dock.h"

#include "classlib/IniFiles.h"
#include "classlib/ScopeGuard.h"
#include "docking/TB2Consts.h"

#include <vector>

namespace {

constexpr int kRev = 2000;

std::vector<TTBCustomDockableWindow*> NamedWindows(TComponent* Owner) {
  std::vector<TTBCustomDockableWindow*> windows;
  for (int i = 0; i < Owner->ComponentCount(); ++i)
    if (auto* w = dynamic_cast<TTBCustomDockableWindow*>(Owner->Components(i)); w && !w->Name().empty())
      windows.push_back(w);
  return windows;
}

TTBDock* FindDock(TComponent* Owner, const String& Name) {
  if (Name.empty()) return nullptr;
  for (int i = 0; i < Owner->ComponentCount(); ++i)
    if (auto* dock = dynamic_cast<TTBDock*>(Owner->Components(i));
        dock && CompareStringOrdinal(dock->Name().c_str(), -1, Name.c_str(), -1, TRUE) == CSTR_EQUAL)
      return dock;
  return nullptr;
}

// What DockedTo holds for a window, or false when the window is not saved at all.
bool DockedToOf(TTBCustomDockableWindow* W, String& DockedTo) {
  if (W->Floating()) {
    DockedTo = L"+";
    return true;
  }
  TTBDock* dock = W->CurrentDock();
  if (!W->Docked() || !dock) return false;
  DockedTo = dock->AllowDrag() ? dock->Name() : String();
  return true;
}

void WriteWindow(TTBCustomDockableWindow* W, const String& DockedTo, const TTBWritePositionData& Data) {
  const String& section = W->Name();
  Data.WriteIntProc(section, L"Rev", kRev, Data.ExtraData);
  Data.WriteIntProc(section, L"Visible", W->Visible() ? 1 : 0, Data.ExtraData);
  Data.WriteStringProc(section, L"DockedTo", DockedTo, Data.ExtraData);
  Data.WriteStringProc(section, L"LastDock", W->LastDock() ? W->LastDock()->Name() : String(), Data.ExtraData);
  Data.WriteIntProc(section, L"DockRow", W->DockRow(), Data.ExtraData);
  Data.WriteIntProc(section, L"DockPos", W->DockPos(), Data.ExtraData);
  Data.WriteIntProc(section, L"FloatLeft", W->FloatingPosition().x, Data.ExtraData);
  Data.WriteIntProc(section, L"FloatTop", W->FloatingPosition().y, Data.ExtraData);
  W->WritePositionData(Data);
}

void ReadWindow(TComponent* Owner, TTBCustomDockableWindow* W, const TTBReadPositionData& Data) {
  const String& section = W->Name();
  if (Data.ReadIntProc(section, L"Rev", 0, Data.ExtraData) != kRev) return;
  W->SetVisible(Data.ReadIntProc(section, L"Visible", W->Visible() ? 1 : 0, Data.ExtraData) != 0);
  const String dockedTo = Data.ReadStringProc(section, L"DockedTo", String(), Data.ExtraData);
  if (dockedTo.empty()) return;
  TTBDock* dock = nullptr;
  if (dockedTo != L"+") {
    dock = FindDock(Owner, dockedTo);
    if (!dock || !dock->AllowDrag()) return;
  }
  W->SetDockRow(Data.ReadIntProc(section, L"DockRow", W->DockRow(), Data.ExtraData));
  W->SetDockPos(Data.ReadIntProc(section, L"DockPos", W->DockPos(), Data.ExtraData));
  const int left = Data.ReadIntProc(section, L"FloatLeft", 0, Data.ExtraData);
  const int top = Data.ReadIntProc(section, L"FloatTop", 0, Data.ExtraData);
  W->ReadPositionData(Data);
  W->SetFloatingPosition({left, top});
  if (dock) {
    W->SetParent(dock);
  } else {
    W->SetFloating(true);
    W->MoveOnScreen(true);
    if (W->UseLastDock())
      if (TTBDock* last = FindDock(Owner, Data.ReadStringProc(section, L"LastDock", String(), Data.ExtraData)))
        W->SetLastDock(last);
  }
  W->Arrange();
  W->DoneReadingPositionData(Data);
}

}  // namespace

void TBCustomSavePositions(TComponent* OwnerComponent, TTBPositionWriteIntProc WriteIntProc,
                           TTBPositionWriteStringProc WriteStringProc, void* ExtraData) {
  const TTBWritePositionData data{WriteIntProc, WriteStringProc, ExtraData};
  // Every dock name is checked before anything is written: a save that fails writes nothing,
  // rather than a mix of new and old places.
  std::vector<std::pair<TTBCustomDockableWindow*, String>> saved;
  for (TTBCustomDockableWindow* w : NamedWindows(OwnerComponent)) {
    String dockedTo;
    if (!DockedToOf(w, dockedTo)) continue;
    if (w->Docked() && w->CurrentDock()->AllowDrag() && dockedTo.empty())
      throw Exception(STBToolwinDockedToNameNotSet);
    saved.emplace_back(w, dockedTo);
  }
  for (const auto& [w, dockedTo] : saved) WriteWindow(w, dockedTo, data);
}

void TBCustomLoadPositions(TComponent* OwnerComponent, TTBPositionReadIntProc ReadIntProc,
                           TTBPositionReadStringProc ReadStringProc, void* ExtraData) {
  const TTBReadPositionData data{ReadIntProc, ReadStringProc, ExtraData};
  // Each dock arranges once, when the last window has been placed.
  std::vector<TTBDock*> docks;
  TScopeGuard endUpdates([&] {
    for (auto it = docks.rbegin(); it != docks.rend(); ++it) (*it)->EndUpdate();
  });
  for (int i = 0; i < OwnerComponent->ComponentCount(); ++i)
    if (auto* dock = dynamic_cast<TTBDock*>(OwnerComponent->Components(i))) {
      dock->BeginUpdate();
      docks.push_back(dock);
    }
  for (TTBCustomDockableWindow* w : NamedWindows(OwnerComponent)) ReadWindow(OwnerComponent, w, data);
}

// ---------------------------------------------------------------------------------------------
// INI files and the registry

namespace {

struct TIniTarget {
  TCustomIniFile* Ini;
  String Prefix;
};

int IniReadInt(const String& Section, const String& Key, int Default, void* Extra) {
  auto* t = static_cast<TIniTarget*>(Extra);
  return t->Ini->ReadInteger(t->Prefix + Section, Key, Default);
}
String IniReadString(const String& Section, const String& Key, const String& Default, void* Extra) {
  auto* t = static_cast<TIniTarget*>(Extra);
  return t->Ini->ReadString(t->Prefix + Section, Key, Default);
}
void IniWriteInt(const String& Section, const String& Key, int Value, void* Extra) {
  auto* t = static_cast<TIniTarget*>(Extra);
  t->Ini->WriteInteger(t->Prefix + Section, Key, Value);
}
void IniWriteString(const String& Section, const String& Key, const String& Value, void* Extra) {
  auto* t = static_cast<TIniTarget*>(Extra);
  t->Ini->WriteString(t->Prefix + Section, Key, Value);
}

}  // namespace

void TBIniSavePositions(TComponent* OwnerComponent, const String& Filename, const String& SectionNamePrefix) {
  TIniFile ini(Filename);
  TIniTarget target{&ini, SectionNamePrefix};
  TBCustomSavePositions(OwnerComponent, IniWriteInt, IniWriteString, &target);
}

void TBIniLoadPositions(TComponent* OwnerComponent, const String& Filename, const String& SectionNamePrefix) {
  TIniFile ini(Filename);
  TIniTarget target{&ini, SectionNamePrefix};
  TBCustomLoadPositions(OwnerComponent, IniReadInt, IniReadString, &target);
}

void TBRegSavePositions(TComponent* OwnerComponent, HKEY RootKey, const String& BaseRegistryKey) {
  TRegIniFile reg{String()};
  reg.SetRootKey(RootKey);
  // Nothing is written anywhere else when the key cannot be made.
  if (!reg.OpenKey(BaseRegistryKey, true))
    throw ERegistryException(L"Failed to create key " + BaseRegistryKey);
  TIniTarget target{&reg, String()};
  TBCustomSavePositions(OwnerComponent, IniWriteInt, IniWriteString, &target);
}

void TBRegLoadPositions(TComponent* OwnerComponent, HKEY RootKey, const String& BaseRegistryKey) {
  TRegIniFile reg(String(), KEY_READ);
  reg.SetRootKey(RootKey);
  // A load writes nothing: a missing key means nothing was saved.
  if (!reg.Registry().OpenKeyReadOnly(BaseRegistryKey)) return;
  TIniTarget target{&reg, String()};
  TBCustomLoadPositions(OwnerComponent, IniReadInt, IniReadString, &target);
}
