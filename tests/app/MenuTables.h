#pragma once
// Menus compared with a table of what they hold: for each item its name, kind, caption, image,
// shortcut, tag and handler, in order.
#include "classlib/Classes.h"
#include "tbx/TBX.h"

#include <gtest/gtest.h>

#include <typeinfo>
#include <vector>

namespace app_testing {

enum class TKind { Item, Submenu, Separator };

struct TRow {
  const wchar_t* Name;
  TKind Kind;
  const wchar_t* Caption;
  int Image;
  TShortCut Short;
  int Tag;
  TNotifyEvent Handler;
};

inline bool IsKind(TTBCustomItem* item, TKind kind) {
  switch (kind) {
    case TKind::Item: return typeid(*item) == typeid(TTBXItem);
    case TKind::Submenu: return typeid(*item) == typeid(TTBXSubmenuItem);
    case TKind::Separator: return typeid(*item) == typeid(TTBXSeparatorItem);
  }
  return false;
}

// The children of parent are the rows, in their order, each owned by the form under its name.
inline void ExpectItems(TComponent* form, TTBCustomItem* parent, const std::vector<TRow>& rows) {
  ASSERT_EQ(static_cast<int>(rows.size()), parent->Count());
  for (int i = 0; i < parent->Count(); ++i) {
    const TRow& row = rows[i];
    TTBCustomItem* item = parent->Items(i);
    SCOPED_TRACE(testing::Message() << "item " << i << " " << testing::PrintToString(String(row.Name)));
    EXPECT_EQ(row.Name, item->Name());
    EXPECT_EQ(form, item->Owner());
    EXPECT_EQ(item, form->FindComponent(row.Name));
    EXPECT_TRUE(IsKind(item, row.Kind));
    EXPECT_EQ(row.Caption, item->Caption());
    EXPECT_EQ(row.Image, item->ImageIndex());
    EXPECT_EQ(row.Short, item->ShortCut());
    EXPECT_EQ(row.Tag, item->Tag());
    EXPECT_TRUE(row.Handler == item->OnClick);
  }
}

}  // namespace app_testing
