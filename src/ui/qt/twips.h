#pragma once

#include <QRect>

namespace tavrin::qt {

// Window layouts are given in twips; 15 twips are one pixel at 96 dots per inch.
// Qt scales device-independent pixels to the screen's density, so the layout is
// scaled as a whole on other densities.
constexpr int Twips(int twips) { return (twips + 7) / 15; }

inline QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

}  // namespace tavrin::qt
