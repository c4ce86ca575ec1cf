#pragma once

#include <QImage>

// Draws the master image of the internal skin, skin/desert.bmp: 304 x 250
// pixels, 8 bits per pixel, holding the window frame, the title bar and its
// buttons, the frames of panels, buttons, edits and group boxes, the glyphs of
// the combo box and the radio items, the scroll bar parts and the window
// texture, at the places the skin's image entries name (SkinData.cpp).
// Unused pixels are fuchsia. The drawing is plain integer arithmetic, so the
// same program always gives the same pixels.
QImage drawMasterImage();
