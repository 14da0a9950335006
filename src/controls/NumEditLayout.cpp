#include "NumEditLayout.h"

namespace pravik::numedit {

// The number is right-aligned in its area, which ends where the right mark starts.
int Placement::numberRight() const { return rightMarkX; }

namespace {

int start(HAlign align, int low, int high, int size)
{
    switch (align) {
    case HAlign::Left:
        return low;
    case HAlign::Right:
        return high - size; // the last pixel lies at high - 1
    case HAlign::Centre:
        break;
    }
    return low + (high - low) / 2 - size / 2;
}

} // namespace

Placement place(int clientWidth, int clientHeight, int textHeight, const Margins& margins, HAlign h,
                VAlign v, const Widths& widths)
{
    Placement p;
    p.groupWidth = widths.leftMark + widths.area + widths.rightMark;
    p.groupLeft = start(h, margins.left, clientWidth - margins.right, p.groupWidth);
    p.leftMarkX = p.groupLeft;
    const int areaX = p.leftMarkX + widths.leftMark;
    p.numberX = areaX + widths.area - widths.number;
    p.rightMarkX = areaX + widths.area;
    const HAlign vertical = v == VAlign::Top ? HAlign::Left : v == VAlign::Bottom ? HAlign::Right : HAlign::Centre;
    p.lineTop = start(vertical, margins.top, clientHeight - margins.bottom, textHeight);
    return p;
}

int roomWidth(int clientWidth, const Margins& margins)
{
    return clientWidth - margins.left - margins.right;
}

} // namespace pravik::numedit
