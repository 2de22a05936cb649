#include "ui/common/Printer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace verdane::printer {

namespace {

QString g_pdfForTests;
constexpr int kTabWidth = 4;

QString expandTabs(const QString& line) {
    if (!line.contains(QLatin1Char('\t')))
        return line;
    QString out;
    for (QChar c : line) {
        if (c == QLatin1Char('\t'))
            out += QString(kTabWidth - out.size() % kTabWidth, QLatin1Char(' '));
        else
            out += c;
    }
    return out;
}

QStringList printedLines(const QString& text) {
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = normalized.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = expandTabs(line);
    return lines;
}

} // namespace

bool paintText(QPagedPaintDevice& device, const QString& text, const QFont& font) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    const QRectF page = painter.viewport();
    const qreal lineHeight = metrics.lineSpacing();
    const qreal charWidth = qMax<qreal>(1, metrics.horizontalAdvance(QLatin1Char('M')));
    const int columns = qMax(1, int(page.width() / charWidth));
    qreal y = metrics.ascent();
    auto printLine = [&](const QString& line) {
        if (y + metrics.descent() > page.height()) {
            device.newPage();
            y = metrics.ascent();
        }
        painter.drawText(QPointF(0, y), line);
        y += lineHeight;
    };
    for (const QString& line : printedLines(text)) {
        if (line.isEmpty())
            printLine(line);
        for (qsizetype from = 0; from < line.size(); from += columns)
            printLine(line.mid(from, columns));
    }
    return painter.end();
}

Outcome printText(const QString& text, const QFont& font) {
    auto outcome = [](bool painted) { return painted ? Outcome::Printed : Outcome::Failed; };
    if (!g_pdfForTests.isEmpty()) {
        QPdfWriter pdf(g_pdfForTests);
        pdf.setTitle(QStringLiteral("Verdane"));
        return outcome(paintText(pdf, text, font));
    }
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return Outcome::NoPrinter;
    QPrinter device(info, QPrinter::HighResolution);
    device.setDocName(QStringLiteral("Verdane"));
    return outcome(paintText(device, text, font));
}

void printToPdfForTests(const QString& path) {
    g_pdfForTests = path;
}

} // namespace verdane::printer
