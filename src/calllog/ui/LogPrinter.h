#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QPagedPaintDevice;
class QPrinter;

// Prints log lines as plain text: each line in order, in the device's default font from the top
// left of the printable area, a new page when the page is full, nothing added (no heading, date
// or page number). A line wider than the page wraps rather than being cut off.
//
// The document is laid out on any paged device, so a PDF writer serves as well as a printer.
// Returns false (and the cause in error) when the device cannot be painted on.
bool PrintLogLines(const QStringList& lines, QPagedPaintDevice& device, QString* error = nullptr);

// The default printer, or nullptr when the system has none.
std::unique_ptr<QPrinter> DefaultPrinter();
