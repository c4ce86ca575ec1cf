#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QPainter;
class QPaintDevice;
class QPrinter;

// A table printed on pages: on every page the title with the date beside it,
// then the column titles, then as many rows as fit, and at the foot
// "Страница i из n". Columns take their widths from their contents; when the
// page is too narrow the widest give way and their texts wrap.
class TablePrint {
public:
    using Advance = std::function<bool(qint64 done)>;

    TablePrint(QString title, QDate date, QStringList columns, QList<QStringList> rows);

    // Lays the table out for pages of the device's size (a printer: its
    // printable area). advance(done) is told the rows measured; false stops
    // the work and the result is false.
    bool paginate(const QPaintDevice& device, const Advance& advance);
    int pageCount() const { return int(m_pageStarts.size()); }
    // The first row of a page and the row after its last (0-based pages).
    int firstRow(int page) const { return m_pageStarts[size_t(page)]; }
    int endRow(int page) const;

    // Draws one page (0-based) with a painter on a device of the size that
    // was paginated.
    void paintPage(QPainter& painter, int page) const;

    // The whole job on a printer: lays out (again, when the printer's page
    // differs), then draws the pages; for a print, only the pages chosen in
    // the print dialog and the copies the printer does not make itself.
    // advance(done) counts the rows measured and then the rows drawn (at
    // most twice the row count). A cancelled print on a printer is aborted;
    // a PDF file is written under a name of its own and put in place only
    // when complete, so a cancelled or failed one leaves no file behind.
    bool print(QPrinter& printer, bool preview, const Advance& advance);

    int rowCount() const { return int(m_rows.size()); }

private:
    bool paintPages(QPrinter& printer, bool preview, const Advance& advance);

    QString m_title;
    QDate m_date;
    QStringList m_columns;
    QList<QStringList> m_rows;

    // Layout for one page size.
    int m_width = 0, m_height = 0, m_dpi = 0;
    std::vector<double> m_columnWidths;
    std::vector<double> m_rowHeights;
    double m_titleRowHeight = 0, m_headerHeight = 0, m_footerHeight = 0;
    std::vector<int> m_pageStarts;
};
