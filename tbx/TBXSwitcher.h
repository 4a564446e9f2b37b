#pragma once
// The component a form places to choose the menu theme by name and the two options of the
// theme manager. All its state lives in the theme holder and the manager: every switcher shows
// the same values. User-interface thread only.
#include "classlib/Classes.h"

enum TFlatMenuStyle { fmsAuto, fmsEnable, fmsDisable };

class TTBXSwitcher : public TComponent {
 public:
  // Attached to the theme holder from construction to destruction: the holder must outlive
  // every switcher.
  explicit TTBXSwitcher(TComponent* AOwner);
  ~TTBXSwitcher() override;

  // The active theme's name; setting a name that is not registered changes nothing.
  String Theme() const;
  void SetTheme(const String& Value);
  bool EnableXPStyles() const;
  void SetEnableXPStyles(bool Value);
  TFlatMenuStyle FlatMenuStyle() const;
  void SetFlatMenuStyle(TFlatMenuStyle Value);

  // Runs for every theme change (three phases) and system change the holder passes on.
  TNotifyEvent OnThemeChange;

  void Dispatch(TMessage& Message) override;
};

// The switchers alive now.
int SwitcherCount();
