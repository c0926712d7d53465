#include "shell/ShellIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace {
QPixmap drawLogo(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // Round badge.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x79));
    p.drawEllipse(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92));
    // Handset: two ear pieces joined by a curved grip.
    p.setBrush(Qt::white);
    QPainterPath handset;
    handset.moveTo(s * 0.28, s * 0.30);
    handset.cubicTo(s * 0.22, s * 0.52, s * 0.44, s * 0.76, s * 0.68, s * 0.74);
    handset.lineTo(s * 0.74, s * 0.64);
    handset.lineTo(s * 0.62, s * 0.56);
    handset.lineTo(s * 0.56, s * 0.62);
    handset.cubicTo(s * 0.46, s * 0.58, s * 0.40, s * 0.50, s * 0.38, s * 0.42);
    handset.lineTo(s * 0.44, s * 0.36);
    handset.lineTo(s * 0.36, s * 0.24);
    handset.closeSubpath();
    p.drawPath(handset);
    // Red bar across: the call is stopped.
    QPen bar(QColor(0xd3, 0x2f, 0x2f), s * 0.09, Qt::SolidLine, Qt::RoundCap);
    p.setPen(bar);
    p.drawLine(QPointF(s * 0.22, s * 0.78), QPointF(s * 0.78, s * 0.22));
    return pixmap;
}
} // namespace

QIcon HushwireIcon() {
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64})
        icon.addPixmap(drawLogo(size));
    return icon;
}

QPixmap HushwireLogo(int size) {
    return drawLogo(size);
}
