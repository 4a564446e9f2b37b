#pragma once
// A dockable window that holds ordinary controls: its size is a client area chosen by the user
// or the program, within a smallest and a largest client size, resized freely.
#include "docking/TB2Dock.h"

class TTBToolWindow : public TTBCustomDockableWindow {
 public:
  explicit TTBToolWindow(TComponent* AOwner);

  int MinClientWidth() const { return minClientWidth_; }
  void SetMinClientWidth(int Value) { minClientWidth_ = Value; }
  int MinClientHeight() const { return minClientHeight_; }
  void SetMinClientHeight(int Value) { minClientHeight_ = Value; }
  // 0: no limit.
  int MaxClientWidth() const { return maxClientWidth_; }
  void SetMaxClientWidth(int Value) { maxClientWidth_ = Value; }
  int MaxClientHeight() const { return maxClientHeight_; }
  void SetMaxClientHeight(int Value) { maxClientHeight_ = Value; }

  // The current client size (the window's size while it has no parent).
  int ClientAreaWidth();
  void SetClientAreaWidth(int Value);
  int ClientAreaHeight();
  void SetClientAreaHeight(int Value);
  void SetClientAreaSize(int AWidth, int AHeight);
  // The client size the window keeps, saved and asked for when a dock arranges it.
  int KeptClientWidth() const { return keptClientWidth_; }
  int KeptClientHeight() const { return keptClientHeight_; }

  POINT DoArrange(bool CanMoveControls, TTBDockType PreviousDockType, bool NewFloating, TTBDock* NewDock) override;
  void GetBaseSize(POINT& ASize) override;
  void GetMinMaxSize(int& AMinClientWidth, int& AMinClientHeight, int& AMaxClientWidth, int& AMaxClientHeight) override;
  void SizeChanging(int AWidth, int AHeight) override;
  void ReadPositionData(const TTBReadPositionData& Data) override;
  void WritePositionData(const TTBWritePositionData& Data) override;

 private:
  POINT CalcSize(TTBDock* Dock);
  // A stored client size within the limits.
  int Bounded(int Value, int Min, int Max) const;

  int minClientWidth_ = 32;
  int minClientHeight_ = 32;
  int maxClientWidth_ = 0;
  int maxClientHeight_ = 0;
  int keptClientWidth_ = 0;
  int keptClientHeight_ = 0;
};
