#include "calllog/ui/LogPrinter.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextLayout>

namespace {

// Lays one log line out in lines no wider than width; an empty line still takes one line.
QList<QTextLine> LayOut(QTextLayout& layout, qreal width) {
    QList<QTextLine> lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, 0));
        lines.append(line);
    }
    layout.endLayout();
    return lines;
}

} // namespace

bool PrintLogLines(const QStringList& lines, QPagedPaintDevice& device, QString* error) {
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = QCoreApplication::translate("LogPrinter", "The printer could not be started.");
        return false;
    }
    const QFont font = painter.font();
    const qreal width = device.width();
    const qreal height = device.height();
    const qreal emptyHeight = QFontMetricsF(font, &device).lineSpacing();
    qreal y = 0;
    auto makeRoom = [&](qreal needed) {
        if (y > 0 && y + needed > height) {
            device.newPage();
            y = 0;
        }
    };
    for (const QString& text : lines) {
        QTextLayout layout(text, font, &device);
        const QList<QTextLine> laidOut = LayOut(layout, width);
        if (text.isEmpty() || laidOut.isEmpty()) {
            makeRoom(emptyHeight);
            y += emptyHeight;
            continue;
        }
        for (const QTextLine& line : laidOut) {
            makeRoom(line.height());
            line.draw(&painter, QPointF(0, y));
            y += line.height();
        }
    }
    if (!painter.end()) {
        if (error)
            *error =
                QCoreApplication::translate("LogPrinter", "The document could not be finished.");
        return false;
    }
    return true;
}

std::unique_ptr<QPrinter> DefaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info);
}
