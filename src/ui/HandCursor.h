#pragma once

#include <QBitmap>
#include <QCursor>

// The pointing-hand link cursor: a 32 x 32 monochrome bitmap whose hot spot is the tip of the
// index finger at (6, 2). Built from a drawing in code so it looks the same on every desktop
// theme.
QBitmap HandCursorBitmap();
QBitmap HandCursorMask();
QCursor HandCursor();

constexpr int kHandCursorHotX = 6;
constexpr int kHandCursorHotY = 2;
