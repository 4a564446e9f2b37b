#pragma once
// The texts of the docking layer's exceptions.

inline constexpr const wchar_t* STBDockParentNotAllowed =
    L"A TTBDock control cannot be placed inside a tool window or another TTBDock";
inline constexpr const wchar_t* STBDockCannotChangePosition =
    L"Cannot change Position of a TTBDock if it already contains controls";
inline constexpr const wchar_t* STBToolwinDockedToNameNotSet =
    L"Cannot save dockable window's position because DockedTo's Name property not set";
// The class library's text for a control that needs a parent window; %s is the control's name.
inline constexpr const wchar_t* SParentRequired = L"Control '%s' has no parent window";
