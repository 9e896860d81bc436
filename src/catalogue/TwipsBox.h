#pragma once

// A control's place as the window's design gives it: left, top, width and height in twips,
// within the client area or within the frame that holds the control.
struct TwipsBox
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int Right() const { return left + width; }
    bool operator==(const TwipsBox&) const = default;
};
