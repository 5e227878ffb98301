// A tiny docking layout: bands taken from the sides of an area in order,
// each with its margins, the client band filling what is left.
#pragma once

#include <windows.h>

#include <vector>

namespace widgets {

enum class Align { Top, Bottom, Left, Right, Client };

struct Margins {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

inline Margins Uniform(int m) { return Margins{m, m, m, m}; }

struct Band {
    HWND Window;
    Align Side;
    int Size;  // height of a top or bottom band, width of a left or right one
    Margins Around;
};

// Computes the rectangle of every band (same order) without moving anything.
std::vector<RECT> DockBands(RECT area, const std::vector<Band>& bands);
// Moves the windows to those rectangles. Area, sizes and margins are design
// units (96 DPI), as the panels' Area() gives them; each window is placed at
// the scale of its form, so the scaled bands still add up to the area.
void LayoutBands(RECT area, const std::vector<Band>& bands);

}  // namespace widgets
