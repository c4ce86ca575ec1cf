#include "forms/TablePrint.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace {

QFont bodyFont()
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(10);
    return f;
}

QFont boldFont(double points)
{
    QFont f = bodyFont();
    f.setPointSizeF(points);
    f.setBold(true);
    return f;
}

constexpr int kCellFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

} // namespace

TablePrint::TablePrint(QString title, QDate date, QStringList columns, QList<QStringList> rows)
    : m_title(std::move(title)), m_date(date), m_columns(std::move(columns)), m_rows(std::move(rows))
{
}

int TablePrint::endRow(int page) const { return page + 1 < pageCount() ? m_pageStarts[size_t(page) + 1] : rowCount(); }

bool TablePrint::paginate(const QPaintDevice& device, const Advance& advance)
{
    m_width = device.width();
    m_height = device.height();
    m_dpi = device.logicalDpiY();
    const double point = m_dpi / 72.0;
    const double pad = 2 * point;

    const QFontMetricsF body(bodyFont(), &device);
    const QFontMetricsF head(boldFont(10), &device);
    const QFontMetricsF title(boldFont(14), &device);
    const QFontMetricsF small(boldFont(9), &device);
    m_titleRowHeight = title.height() + 6 * point;
    m_footerHeight = small.height() + 6 * point;
    const double lineHeight = body.height();

    // Natural widths: the widest text of each column, its title included.
    const int columns = int(m_columns.size());
    std::vector<double> natural(size_t(columns), 0.0);
    std::vector<float> cellWidths(size_t(columns) * m_rows.size());
    for (int c = 0; c < columns; ++c)
        natural[size_t(c)] = head.horizontalAdvance(m_columns[c]);
    for (qsizetype r = 0; r < m_rows.size(); ++r) {
        const QStringList& row = m_rows[r];
        for (int c = 0; c < columns && c < row.size(); ++c) {
            const double w = body.horizontalAdvance(row[c]);
            cellWidths[size_t(r) * size_t(columns) + size_t(c)] = float(w);
            natural[size_t(c)] = std::max(natural[size_t(c)], w);
        }
        if ((r & 0x3FF) == 0x3FF && !advance(r / 2))
            return false;
    }
    for (double& w : natural)
        w += 2 * pad + 1;

    // Widths: the natural ones widened to the page; on a page too narrow,
    // the narrow columns keep theirs and the wide ones share the rest.
    m_columnWidths.assign(size_t(columns), 0.0);
    const double total = std::accumulate(natural.begin(), natural.end(), 0.0);
    if (columns > 0 && total <= m_width) {
        for (int c = 0; c < columns; ++c)
            m_columnWidths[size_t(c)] = natural[size_t(c)] * m_width / total;
    } else if (columns > 0) {
        std::vector<int> order(static_cast<size_t>(columns));
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return natural[size_t(a)] < natural[size_t(b)]; });
        double left = m_width;
        for (int i = 0; i < columns; ++i) {
            const double share = left / (columns - i);
            const double w = std::min(natural[size_t(order[size_t(i)])], share);
            m_columnWidths[size_t(order[size_t(i)])] = w;
            left -= w;
        }
    }

    auto cellHeight = [&](const QFontMetricsF& metrics, const QString& text, double naturalWidth, int c) {
        const double inner = std::max(1.0, m_columnWidths[size_t(c)] - 2 * pad - 1);
        if (naturalWidth <= inner && !text.contains(u'\n'))
            return metrics.height();
        return metrics.boundingRect(QRectF(0, 0, inner, 1e9), kCellFlags, text).height();
    };
    m_headerHeight = lineHeight;
    for (int c = 0; c < columns; ++c)
        m_headerHeight =
            std::max(m_headerHeight, cellHeight(head, m_columns[c], head.horizontalAdvance(m_columns[c]), c));
    m_headerHeight += 2 * pad;

    const double bodyHeight = m_height - m_titleRowHeight - m_headerHeight - m_footerHeight;
    m_rowHeights.assign(m_rows.size(), 0.0);
    m_pageStarts.assign(1, 0);
    double used = 0;
    for (qsizetype r = 0; r < m_rows.size(); ++r) {
        const QStringList& row = m_rows[r];
        double h = lineHeight;
        for (int c = 0; c < columns && c < row.size(); ++c)
            h = std::max(h, cellHeight(body, row[c], cellWidths[size_t(r) * size_t(columns) + size_t(c)], c));
        h += 2 * pad;
        m_rowHeights[size_t(r)] = h;
        if (used > 0 && used + h > bodyHeight) {
            m_pageStarts.push_back(int(r));
            used = 0;
        }
        used += h;
        if ((r & 0x3FF) == 0x3FF && !advance((m_rows.size() + r) / 2))
            return false;
    }
    return advance(m_rows.size());
}

void TablePrint::paintPage(QPainter& painter, int page) const
{
    const double point = m_dpi / 72.0;
    const double pad = 2 * point;
    painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(0.5 * point);
    painter.setPen(pen);

    // Title and date.
    painter.setFont(boldFont(14));
    const QRectF titleRect(0, 0, m_width, m_titleRowHeight - 6 * point);
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, m_title);
    painter.setFont(bodyFont());
    painter.drawText(titleRect, Qt::AlignRight | Qt::AlignVCenter, m_date.toString(QStringLiteral("dd.MM.yyyy")));

    // Column titles.
    const double left = 0;
    double y = m_titleRowHeight;
    auto drawRow = [&](const QStringList& cells, double height, bool header) {
        double x = left;
        for (int c = 0; c < int(m_columnWidths.size()); ++c) {
            const QRectF cell(x, y, m_columnWidths[size_t(c)], height);
            if (header)
                painter.fillRect(cell, QColor(230, 230, 230));
            painter.drawRect(cell);
            painter.save();
            painter.setClipRect(cell);
            painter.drawText(cell.adjusted(pad, pad, -pad, -pad), kCellFlags, cells.value(c));
            painter.restore();
            x += m_columnWidths[size_t(c)];
        }
        y += height;
    };
    painter.setFont(boldFont(10));
    drawRow(m_columns, m_headerHeight, true);

    painter.setFont(bodyFont());
    for (int r = firstRow(page); r < endRow(page); ++r)
        drawRow(m_rows[r], m_rowHeights[size_t(r)], false);

    // Page number.
    painter.setFont(boldFont(9));
    painter.drawText(QRectF(0, m_height - m_footerHeight + 6 * point, m_width, m_footerHeight - 6 * point),
                     Qt::AlignHCenter | Qt::AlignBottom,
                     QStringLiteral("Страница %1 из %2").arg(page + 1).arg(pageCount()));
    painter.restore();
}

bool TablePrint::print(QPrinter& printer, bool preview, const Advance& advance)
{
    const bool toFile =
        !preview && printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    if (!toFile)
        return paintPages(printer, preview, advance);

    // The PDF is written under a name of its own beside the file chosen and
    // renamed over it only when complete.
    const QString target = printer.outputFileName();
    QTemporaryFile part(target + QStringLiteral(".XXXXXX"));
    if (!part.open())
        throw Error(
            QStringLiteral("Cannot create file \"%1\". %2").arg(FileSystem::fullPath(target), part.errorString()));
    part.close();
    part.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    bool done = false;
    printer.setOutputFileName(part.fileName());
    try {
        done = paintPages(printer, false, advance);
    } catch (...) {
        printer.setOutputFileName(target);
        throw;
    }
    printer.setOutputFileName(target);
    if (!done)
        return false;
    if (QFileInfo(part.fileName()).size() == 0)
        throw Error(QStringLiteral("Cannot write file \"%1\". Nothing was written").arg(FileSystem::fullPath(target)));
    if (std::rename(QFile::encodeName(part.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        throw Error(
            QStringLiteral("Cannot create file \"%1\". %2").arg(FileSystem::fullPath(target), qt_error_string(errno)));
    part.setAutoRemove(false);
    return true;
}

bool TablePrint::paintPages(QPrinter& printer, bool preview, const Advance& advance)
{
    const qint64 rows = rowCount();
    if (printer.width() != m_width || printer.height() != m_height || printer.logicalDpiY() != m_dpi ||
        m_pageStarts.empty()) {
        if (!paginate(printer, advance))
            return false;
    }
    int from = 1;
    int to = pageCount();
    int copies = 1;
    if (!preview) {
        if (printer.fromPage() > 0) {
            from = std::max(1, printer.fromPage());
            to = std::min(pageCount(), printer.toPage() > 0 ? printer.toPage() : pageCount());
        }
        if (!printer.supportsMultipleCopies())
            copies = std::max(1, printer.copyCount());
    }

    QPainter painter;
    if (!painter.begin(&printer))
        throw Error(QStringLiteral("The printer could not be started"));
    qint64 drawn = 0;
    const qint64 toDraw = std::max<qint64>(1, qint64(copies) * (to >= from ? endRow(to - 1) - firstRow(from - 1) : 0));
    bool first = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (int page = from; page <= to; ++page) {
            if (!first)
                printer.newPage();
            first = false;
            paintPage(painter, page - 1);
            drawn += endRow(page - 1) - firstRow(page - 1);
            if (!advance(rows + drawn * std::max<qint64>(rows, 1) / toDraw)) {
                if (!preview)
                    printer.abort();
                painter.end();
                return false;
            }
        }
    }
    painter.end();
    return true;
}
