#include "app/QuillnoteMain.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return QuillnoteMain(); }
