#pragma once
// What the application's dialog forms share to build themselves: controls made in the order
// they are listed, each named, placed on its parent and given its bounds.
#include "classlib/Controls.h"
#include "classlib/StdCtrls.h"

// A control of class T named Name, owned by Owner, lying on Parent at the given bounds.
template <class T>
T* AddControl(TComponent* Owner, TWinControl* Parent, const wchar_t* Name, int Left, int Top, int Width,
              int Height) {
  auto* control = new T(Owner);
  control->SetName(Name);
  control->SetParent(Parent);
  control->SetBounds(Left, Top, Width, Height);
  return control;
}

// A label that sizes itself to its caption, shows its parent through and takes "&" as it is.
TLabel* AddLabel(TComponent* Owner, TWinControl* Parent, const wchar_t* Name, const String& Caption, int Left,
                 int Top);
