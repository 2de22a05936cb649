#pragma once

#include <QFont>
#include <QString>

class QPainter;
class QPagedPaintDevice;

namespace verdane::printer {

enum class Outcome { Printed, NoPrinter, Failed };

// Prints text on the default printer in the given font: each line end (CR LF, CR or LF) starts a new line, lines
// longer than the page are continued on the next line, a full page goes on to the next. Nothing is printed when no
// printer is installed.
Outcome printText(const QString& text, const QFont& font);

// Lays text out on any paged device (a printer, a PDF file), as printText does.
bool paintText(QPagedPaintDevice& device, const QString& text, const QFont& font);

// Tests: print into this PDF file instead of the default printer (empty: the printer again).
void printToPdfForTests(const QString& path);

} // namespace verdane::printer
