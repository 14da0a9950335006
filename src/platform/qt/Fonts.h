#pragma once

#include <QFont>

namespace pravik {

// The windows are designed for "ＭＳ Ｐゴシック"; where that font is missing
// it must resolve to IPA P Gothic, not to a Latin font that borrows the
// Japanese glyphs. Call once after the application object exists.
void installJapaneseFontSubstitutes();

// The font every window uses: "ＭＳ Ｐゴシック" at 12 pixels.
QFont windowFont();

} // namespace pravik
