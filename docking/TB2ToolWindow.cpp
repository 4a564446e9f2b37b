#include "docking/TB2ToolWindow.h"

#include <algorithm>

TTBToolWindow::TTBToolWindow(TComponent* AOwner) : TTBCustomDockableWindow(AOwner) {
  SetBounds(Left(), Top(), 32, 32);
}

void TTBToolWindow::GetMinMaxSize(int& AMinClientWidth, int& AMinClientHeight, int& AMaxClientWidth,
                                  int& AMaxClientHeight) {
  AMinClientWidth = minClientWidth_;
  AMinClientHeight = minClientHeight_;
  AMaxClientWidth = maxClientWidth_;
  AMaxClientHeight = maxClientHeight_;
}

void TTBToolWindow::SizeChanging(int AWidth, int AHeight) {
  keptClientWidth_ = AWidth;
  keptClientHeight_ = AHeight;
  if (!Parent()) return;
  keptClientWidth_ -= Width() - ClientWidth();
  keptClientHeight_ -= Height() - ClientHeight();
}

POINT TTBToolWindow::CalcSize(TTBDock* Dock) {
  POINT size{keptClientWidth_, keptClientHeight_};
  if (!Dock) return size;
  const bool vertical = Dock->Vertical();
  if (FullSize()) {
    if (vertical) size.y = Dock->ClientHeight() - (Height() - ClientHeight());
    else size.x = Dock->ClientWidth() - (Width() - ClientWidth());
  } else if (Stretch()) {
    if (vertical) size.y = minClientHeight_;
    else size.x = minClientWidth_;
  }
  return size;
}

void TTBToolWindow::GetBaseSize(POINT& ASize) { ASize = CalcSize(CurrentDock()); }

POINT TTBToolWindow::DoArrange(bool, TTBDockType, bool, TTBDock* NewDock) { return CalcSize(NewDock); }

int TTBToolWindow::ClientAreaWidth() { return Parent() ? ClientWidth() : Width(); }
int TTBToolWindow::ClientAreaHeight() { return Parent() ? ClientHeight() : Height(); }
void TTBToolWindow::SetClientAreaWidth(int Value) { SetClientAreaSize(Value, ClientAreaHeight()); }
void TTBToolWindow::SetClientAreaHeight(int Value) { SetClientAreaSize(ClientAreaWidth(), Value); }

void TTBToolWindow::SetClientAreaSize(int AWidth, int AHeight) {
  if (!Parent()) {
    SetBounds(Left(), Top(), AWidth, AHeight);
    return;
  }
  const RECT client = ClientRect();
  SetBounds(Left(), Top(), AWidth + Width() - (client.right - client.left),
            AHeight + Height() - (client.bottom - client.top));
}

int TTBToolWindow::Bounded(int Value, int Min, int Max) const {
  return std::clamp(Value, std::max(Min, 0), Max > 0 ? std::max(Max, Min) : kMaxDockPos);
}

void TTBToolWindow::ReadPositionData(const TTBReadPositionData& Data) {
  TTBCustomDockableWindow::ReadPositionData(Data);
  if (!Resizable()) return;
  const int height = Data.ReadIntProc(Name(), L"ClientHeight", keptClientHeight_, Data.ExtraData);
  const int width = Data.ReadIntProc(Name(), L"ClientWidth", keptClientWidth_, Data.ExtraData);
  SetClientAreaSize(Bounded(width, minClientWidth_, maxClientWidth_),
                    Bounded(height, minClientHeight_, maxClientHeight_));
}

void TTBToolWindow::WritePositionData(const TTBWritePositionData& Data) {
  TTBCustomDockableWindow::WritePositionData(Data);
  Data.WriteIntProc(Name(), L"ClientWidth", keptClientWidth_, Data.ExtraData);
  Data.WriteIntProc(Name(), L"ClientHeight", keptClientHeight_, Data.ExtraData);
}
