// A table laid out on printed pages: title, date, column titles and page
// numbers on every page, every row once and in order, wrapping on a narrow
// page; printed to a PDF file whole or not at all.

#include "forms/TablePrint.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

namespace {

// A page that records the texts drawn on it, in drawing order.
class TextRecorder : public QPaintDevice {
public:
    TextRecorder(int width, int height) : m_width(width), m_height(height) {}

    QStringList texts;

    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return m_width;
        case PdmHeight:
            return m_height;
        case PdmWidthMM:
            return int(m_width * 25.4 / kDpi);
        case PdmHeightMM:
            return int(m_height * 25.4 / kDpi);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return kDpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    static constexpr int kDpi = 300;

    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder* device) : QPaintEngine(AllFeatures), m_device(device) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { m_device->texts << item.text(); }
        void drawRects(const QRectF*, int) override {}
        void drawLines(const QLineF*, int) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        Type type() const override { return User; }

    private:
        TextRecorder* m_device;
    };

    int m_width, m_height;
    mutable Engine m_engine{this};
};

const QStringList kColumns{"ФИО студента", "Дата", "Кол-во вопросов", "Оценка"};

QList<QStringList> results(int n)
{
    QList<QStringList> rows;
    for (int i = 1; i <= n; ++i)
        rows << QStringList{QStringLiteral("Студент%1").arg(i), QStringLiteral("05.03.2024"), QString::number(i % 40),
                            QStringLiteral("B+")};
    return rows;
}

bool always(qint64) { return true; }

// The texts drawn on each page of a paginated print.
QList<QStringList> pagesOf(TablePrint& print, int width, int height)
{
    TextRecorder measure(width, height);
    if (!print.paginate(measure, always))
        return {};
    QList<QStringList> pages;
    for (int p = 0; p < print.pageCount(); ++p) {
        TextRecorder page(width, height);
        QPainter painter(&page);
        print.paintPage(painter, p);
        painter.end();
        pages << page.texts;
    }
    return pages;
}

int pdfPages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(QStringLiteral(R"(/Type\s*/Page[^s])"));
    return int(QString::fromLatin1(f.readAll()).count(page));
}

} // namespace

class TestTablePrint : public QObject {
    Q_OBJECT

private slots:
    void everyPageHasItsHeadingAndEveryRowStandsOnce()
    {
        TablePrint print(QStringLiteral("Результаты тестирования"), QDate(2024, 3, 5), kColumns, results(250));
        const QList<QStringList> pages = pagesOf(print, 2200, 3200);
        QVERIFY(pages.size() >= 3);
        QStringList students;
        for (int p = 0; p < pages.size(); ++p) {
            const QStringList& texts = pages[p];
            QCOMPARE(texts.mid(0, 6), QStringList({"Результаты тестирования", "05.03.2024"}) + kColumns);
            QCOMPARE(texts.last(), QStringLiteral("Страница %1 из %2").arg(p + 1).arg(pages.size()));
            QVERIFY(texts.size() > 7 + 4); // at least one row on a page
            for (const QString& t : texts)
                if (t.startsWith(u"Студент"))
                    students << t;
        }
        QStringList expected;
        for (int i = 1; i <= 250; ++i)
            expected << QStringLiteral("Студент%1").arg(i);
        QCOMPARE(students, expected);
    }

    void emptyTablePrintsItsHeading()
    {
        TablePrint print(QStringLiteral("Результаты тестирования"), QDate(2024, 3, 5), kColumns, {});
        const QList<QStringList> pages = pagesOf(print, 2200, 3200);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0],
                 QStringList({"Результаты тестирования", "05.03.2024"}) + kColumns + QStringList{"Страница 1 из 1"});
    }

    void longTextsWrapOnANarrowPage()
    {
        const QString name = QStringLiteral("Константинопольский Александр Вольдемарович-Кржижановский");
        QList<QStringList> rows = results(3);
        rows[1][0] = name;
        TablePrint print(QStringLiteral("Результаты"), QDate(2024, 3, 5), kColumns, rows);
        // A page about 5 cm wide: the name takes several lines, nothing is lost.
        const QList<QStringList> pages = pagesOf(print, 600, 3200);
        QCOMPARE(pages.size(), 1);
        const QStringList& texts = pages[0];
        const qsizetype at = texts.indexOf(QStringLiteral("Константинопольский"));
        QVERIFY2(at > 0, qPrintable(texts.join(u'|')));
        // Drawn line by line, each line's words apart: more than one line, all of it.
        QString joined;
        qsizetype pieces = 0;
        for (qsizetype i = at; i < texts.size() && joined.size() < QString(name).remove(u' ').size(); ++i, ++pieces)
            joined += texts[i];
        QVERIFY(pieces > 1);
        QCOMPARE(joined, QString(name).remove(u' '));
        QVERIFY(texts.contains(QStringLiteral("Студент3")));
    }

    void printsToAPdfFileWholeOrNotAtAll()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Результаты.pdf");
        TablePrint print(QStringLiteral("Результаты тестирования"), QDate(2024, 3, 5), kColumns, results(300));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);

        // Cancelled half-way through the pages: no file, the old one kept.
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        qint64 last = 0;
        QVERIFY(!print.print(printer, false, [&](qint64 done) {
            last = done;
            return done < 450;
        }));
        QVERIFY(last >= 450 && last < 600);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Результаты.pdf"});
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("old"));
        kept.close();
        QCOMPARE(printer.outputFileName(), path);

        // Printed whole: every page, then only a chosen range.
        QVERIFY(print.print(printer, false, always));
        QCOMPARE(pdfPages(path), print.pageCount());
        QVERIFY(print.pageCount() >= 3);
        printer.setFromTo(2, 3);
        QVERIFY(print.print(printer, false, always));
        QCOMPARE(pdfPages(path), 2);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Результаты.pdf"});
    }
};

QTEST_MAIN(TestTablePrint)
#include "tst_tableprint.moc"
