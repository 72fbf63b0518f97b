#pragma once
#include <windows.h>

// Fills the rectangle with one colour, as the parents' charts draw.
void fillSolid(HDC dc, const RECT& area, COLORREF colour);
