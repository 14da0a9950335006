#pragma once

// Where the marks, the number and the caret go inside the client area; pure
// arithmetic so that the widget only measures and draws.
namespace pravik::numedit {

enum class HAlign { Left, Right, Centre };
enum class VAlign { Top, Bottom, Centre };

struct Margins {
    int left = 2;
    int right = 2;
    int top = 2;
    int bottom = 2;
};

struct Widths {
    int leftMark = 0;
    int area = 0;   // the number area, at least as wide as the number
    int number = 0; // the formatted number, right-aligned in its area
    int rightMark = 0;
};

struct Placement {
    int groupLeft = 0; // left mark + number area + right mark
    int groupWidth = 0;
    int leftMarkX = 0;
    int numberX = 0;
    int rightMarkX = 0;
    int lineTop = 0;
    int numberRight() const;
};

Placement place(int clientWidth, int clientHeight, int textHeight, const Margins& margins, HAlign h,
                VAlign v, const Widths& widths);

// The room between the margins, for the "refuse what doesn't fit" option.
int roomWidth(int clientWidth, const Margins& margins);

} // namespace pravik::numedit
