#include "app/FormSupport.h"

TLabel* AddLabel(TComponent* Owner, TWinControl* Parent, const wchar_t* Name, const String& Caption, int Left,
                 int Top) {
  auto* label = new TLabel(Owner);
  label->SetName(Name);
  label->SetParent(Parent);
  label->SetLeft(Left);
  label->SetTop(Top);
  label->SetTransparent(true);
  label->SetShowAccelChar(false);
  label->SetCaption(Caption);
  return label;
}
