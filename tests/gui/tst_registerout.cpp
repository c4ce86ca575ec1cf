// The results register taken out: its grid's context menu and keys write
// the rows it shows to a CSV file (read back cell by cell) and print them
// through the preview, to a PDF file; cancelled or failed work leaves no file.

#include "support/CourseFixture.h"
#include "support/CsvReader.h"
#include "support/SideConnection.h"

#include "app/Forms.h"
#include "data/Table.h"
#include "forms/DataGrid.h"
#include "forms/Unit6.h"
#include "forms/Unit9.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace {

// Stored results: fio, data (as stored), kol, ocenka.
const QList<QStringList> kResults{
    {"Иванова Мария", "2024-03-14", "11", "B"},
    {"О'Нил; Юджин \"Джин\"", "2024-03-15", "11", "C+"},
    {"Сидоров\r\nАлексей", "2024-04-02", "5", "A-"},
    {"=1+2", "", "7", "F"},
};

bool startWith(CourseFixture& course, const QList<QStringList>& rows)
{
    {
        SideConnection db(course.path(QStringLiteral("test.mdb")));
        db.exec(QStringLiteral("BEGIN"));
        db.exec(QStringLiteral("DELETE FROM result"));
        for (const QStringList& row : rows)
            if (!db.exec(QStringLiteral("INSERT INTO result (fio, data, kol, ocenka) VALUES (?, ?, ?, ?)"),
                         {row[0], row[1].isEmpty() ? QVariant() : QVariant(row[1]), row[2], row[3]}))
                return false;
        db.exec(QStringLiteral("COMMIT"));
    }
    course.start();
    if (!course.platform.boxes.isEmpty())
        return false;
    Form9->showAndRaise();
    if (!QTest::qWaitForWindowActive(Form9))
        return false;
    Form9->DBGrid1->setFocus();
    return true;
}

DataGrid* grid() { return Form9->DBGrid1; }

QList<QStringList> csvFile(const QString& path, QString* fault)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *fault = QStringLiteral("no file");
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("\xEF\xBB\xBF")) {
        *fault = QStringLiteral("no byte-order mark");
        return {};
    }
    return csvreader::read(QString::fromUtf8(bytes.mid(3)), fault);
}

int pdfPages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(QStringLiteral(R"(/Type\s*/Page[^s])"));
    return int(QString::fromLatin1(f.readAll()).count(page));
}

QStringList filesIn(const QString& dir) { return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

} // namespace

class RegisterOutTest : public QObject {
    Q_OBJECT

private slots:
    void contextMenuLeavesTheCurrentRow()
    {
        CourseFixture course;
        QVERIFY(startWith(course, kResults));
        Form6->tblResult->moveTo(1);
        QStringList items;
        QTimer::singleShot(0, [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                for (QAction* a : popup->actions())
                    items << a->text() + u'\t' + a->shortcut().toString();
                popup->close();
            }
        });
        const QModelIndex last = grid()->model()->index(3, 0);
        const QPoint at = grid()->visualRect(last).center();
        QTest::mouseClick(grid()->viewport(), Qt::RightButton, {}, at);
        // Where the window system sends no context menu event of its own.
        if (items.isEmpty()) {
            QTimer::singleShot(0, [&] {
                if (QWidget* popup = QApplication::activePopupWidget()) {
                    for (QAction* a : popup->actions())
                        items << a->text() + u'\t' + a->shortcut().toString();
                    popup->close();
                }
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid()->viewport()->mapToGlobal(at));
            QApplication::sendEvent(grid()->viewport(), &event);
        }
        QCOMPARE(items, QStringList({"Сохранить в CSV…\tCtrl+S", "Печать…\tCtrl+P", "Статистика…\tCtrl+T"}));
        QCOMPARE(Form6->tblResult->currentIndex(), 1);
        QCOMPARE(grid()->currentIndex().row(), 1);
        QVERIFY(!grid()->cellEditor());
        QCOMPARE(course.platform.verifyDone(), QString());
    }

    void ctrlSWritesTheShownRowsCellByCell()
    {
        CourseFixture course;
        QVERIFY(startWith(course, kResults));
        // The columns in their order on the screen: "Оценка" dragged to the front.
        grid()->horizontalHeader()->moveSection(3, 0);
        const QString path = course.path(QStringLiteral("экспорт/Результаты.csv"));
        course.makeFolder(QStringLiteral("экспорт"));
        course.platform.fileAnswers << path;
        QTest::keyClick(grid(), Qt::Key_S, Qt::ControlModifier);

        QCOMPARE(course.platform.fileDialogs.size(), 1);
        QCOMPARE(course.platform.fileDialogs[0].kind, QStringLiteral("save"));
        QVERIFY(course.platform.fileDialogs[0].proposed.endsWith(QStringLiteral("/Результаты тестирования.csv")));
        QString fault;
        const QList<QStringList> back = csvFile(path, &fault);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QCOMPARE(back, (QList<QStringList>{
                           {"Оценка", "ФИО студента", "Дата", "Кол-во вопросов"},
                           {"B", "Иванова Мария", "14.03.2024", "11"},
                           {"C+", "О'Нил; Юджин \"Джин\"", "15.03.2024", "11"},
                           {"A-", "Сидоров\r\nАлексей", "02.04.2024", "5"},
                           {"F", "'=1+2", "", "7"},
                       }));
        // The teacher is told where the file went.
        QCOMPARE(course.platform.texts(QStringLiteral("notice")),
                 QStringList{QStringLiteral("Результаты сохранены в файл «%1».").arg(path)});
        QCOMPARE(course.platform.boxes.size(), 1);
        QCOMPARE(course.platform.verifyDone(), QString());
    }

    void aPendingNewRowIsNotWrittenAnEditedOneIs()
    {
        CourseFixture course;
        QVERIFY(startWith(course, kResults.mid(0, 2)));
        // The first row edited (not posted), then a new row begun before the second.
        Table* results = Form6->tblResult;
        results->moveTo(0);
        results->edit();
        results->setValue("ocenka", "A");
        results->moveTo(1);
        results->insert();
        const QString path = course.path(QStringLiteral("out.csv"));
        course.platform.fileAnswers << path;
        Form9->SaveCsvAction->trigger();
        QString fault;
        const QList<QStringList> back = csvFile(path, &fault);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QCOMPARE(back.size(), 3);
        QCOMPARE(back[1].value(3), QStringLiteral("A"));
        QCOMPARE(results->state(), Table::State::Insert); // nothing was posted or discarded
    }

    void cancelledOrFailedSaveLeavesNoFile()
    {
        CourseFixture course;
        QList<QStringList> many;
        for (int i = 0; i < 3000; ++i)
            many << QStringList{QStringLiteral("Студент %1").arg(i), "2024-03-14", "10", "B"};
        QVERIFY(startWith(course, many));
        course.makeFolder(QStringLiteral("out"));
        course.writeFile(QStringLiteral("out/r.csv"), "old");

        // Cancelled half-way.
        course.platform.cancelProgressAt = 1500;
        course.platform.fileAnswers << course.path(QStringLiteral("out/r.csv"));
        Form9->SaveCsvAction->trigger();
        QCOMPARE(course.platform.progresses.size(), 1);
        QVERIFY(course.platform.progresses[0].cancelled);
        QCOMPARE(course.readFile(QStringLiteral("out/r.csv")), QByteArray("old"));
        QCOMPARE(filesIn(course.path(QStringLiteral("out"))), QStringList{"r.csv"});
        QCOMPARE(course.platform.boxes.size(), 0);

        // A folder that is not there: the reason is reported.
        course.platform.cancelProgressAt = -1;
        course.platform.fileAnswers << course.path(QStringLiteral("нет/r.csv"));
        Form9->SaveCsvAction->trigger();
        QCOMPARE(course.platform.texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("Cannot create file \"%1\". No such file or directory.")
                                 .arg(course.path(QStringLiteral("нет/r.csv")))});
        QCOMPARE(course.platform.boxes.size(), 1); // no notice of a file that was not written

        // The dialog cancelled: nothing at all.
        course.platform.clear();
        course.platform.fileAnswers << QString();
        QTest::keyClick(grid(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(course.platform.progresses.size(), 0);
        QCOMPARE(course.platform.verifyDone(), QString());
    }

    void ctrlPPrintsThroughThePreview()
    {
        CourseFixture course;
        QList<QStringList> many;
        for (int i = 0; i < 150; ++i)
            many << QStringList{QStringLiteral("Студент %1").arg(i), "2024-03-14", "10", "B"};
        QVERIFY(startWith(course, many));
        const QString pdf = course.path(QStringLiteral("Результаты.pdf"));

        // Previewed, then printed to a PDF file.
        course.platform.previewPrints << pdf;
        QTest::keyClick(grid(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(course.platform.previews.size(), 1);
        QCOMPARE(course.platform.previews[0].documentName, QStringLiteral("Результаты тестирования"));
        QVERIFY(course.platform.previews[0].drawn && course.platform.previews[0].printed);
        QVERIFY(pdfPages(pdf) >= 3);

        // The print cancelled part of the way: the earlier file stays as it was.
        const QByteArray before = course.readFile(QStringLiteral("Результаты.pdf"));
        course.platform.clear();
        course.platform.previewPrints << pdf;
        course.platform.cancelProgressAt = 200; // the print's: measured 150, then 50 of the rows drawn
        course.platform.cancelProgressIndex = 1;
        Form9->PrintAction->trigger();
        QCOMPARE(course.platform.progresses.size(), 2);
        QVERIFY(!course.platform.progresses[0].cancelled); // the preview
        QVERIFY(course.platform.progresses[1].cancelled);
        QVERIFY(!course.platform.previews[0].printed);
        QCOMPARE(course.readFile(QStringLiteral("Результаты.pdf")), before);
        QCOMPARE(filesIn(course.root()).filter(QStringLiteral("Результаты")), QStringList{"Результаты.pdf"});
    }
};

QTEST_MAIN(RegisterOutTest)
#include "tst_registerout.moc"
