// The modal menu loop.
#include "items/TB2ModalHandler.h"

TTBModalHandler::TTBModalHandler(HWND AExistingWnd) : wnd_(AExistingWnd) {}
TTBModalHandler::~TTBModalHandler() = default;
void TTBModalHandler::Loop(TTBView*, bool, bool, bool, bool) {}
void TTBModalHandler::WndProc(TMessage&) {}
