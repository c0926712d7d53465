#include "ui/HandCursor.h"

#include <QImage>

namespace {
// '#' black outline, '.' white fill, ' ' transparent. The finger tip is at column 6, row 2.
constexpr const char* kHand[] = {
    "                                ", "                                ",
    "     ###                        ", "    #...#                       ",
    "    #...#                       ", "    #...#                       ",
    "    #...#                       ", "    #...####                    ",
    "    #...#...###                 ", "    #...#...#..##               ",
    "    #...#...#...#.#             ", " ## #...#...#...#..#            ",
    "#..##...........#..#            ", "#...#..............#            ",
    " #..#..............#            ", "  #................#            ",
    "  #................#            ", "   #..............#             ",
    "   #..............#             ", "    #............#              ",
    "    #............#              ", "     #..........#               ",
    "     #..........#               ", "     ############               ",
    "                                ", "                                ",
    "                                ", "                                ",
    "                                ", "                                ",
    "                                ", "                                ",
};

QBitmap fromDrawing(bool mask) {
    QImage image(32, 32, QImage::Format_MonoLSB);
    // Index 0 is white (bit clear), index 1 black (bit set): a set bit in the bitmap is black,
    // and in the mask it marks a visible pixel.
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    image.fill(0);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const char c = kHand[y][x];
            const bool set = mask ? c != ' ' : c == '#';
            image.setPixel(x, y, set ? 1 : 0);
        }
    }
    return QBitmap::fromImage(image);
}
} // namespace

QBitmap HandCursorBitmap() {
    return fromDrawing(false);
}

QBitmap HandCursorMask() {
    return fromDrawing(true);
}

QCursor HandCursor() {
    return QCursor(HandCursorBitmap(), HandCursorMask(), kHandCursorHotX, kHandCursorHotY);
}
