#include "forms/Unit9.h"

#include "data/Csv.h"
#include "data/Table.h"
#include "data/Value.h"
#include "forms/ContextMenu.h"
#include "forms/CsvSave.h"
#include "forms/DataGrid.h"
#include "forms/DataNavigator.h"
#include "forms/Forms.h"
#include "forms/TablePrint.h"
#include "forms/Unit11.h"
#include "forms/Unit6.h"
#include "platform/Error.h"
#include "platform/ErrorReport.h"
#include "platform/Platform.h"
#include "skin/Look.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>

namespace {

constexpr int kNavigatorHeight = 25;
constexpr int kGridHeight = 424;

// The grid and the navigator keep the window system's look, not the window's colour.
void keepSystemLook(QWidget* control)
{
    QPalette p = control->palette();
    p.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    control->setPalette(p);
}

} // namespace

TForm9::TForm9(QWidget* parent) : TForm9(Form6 ? Form6->DataSource4.DataSet : nullptr, parent) {}

TForm9::TForm9(Table* results, QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("Результаты тестирования"));
    setProperty("skinSection", QStringLiteral("FORM"));
    setOuterGeometry(204, 97, 702, 498);
    Look::setBackground(this, Look::kSkinnedWindowColor);

    DBNavigator1 = new DataNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    keepSystemLook(DBNavigator1);

    DBGrid1 = new DataGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    keepSystemLook(DBGrid1);
    DBGrid1->setAccessibleName(QStringLiteral("Результаты тестирования"));
    DBGrid1->setAccessibleDescription(
        QStringLiteral("ФИО студента, дата, кол-во вопросов и оценка. Стрелки, PgUp, PgDn, Ctrl+Home и Ctrl+End "
                       "переходят по записям; ввод или F2 исправляет ячейку, Enter заканчивает ввод, Esc отменяет; "
                       "Ins добавляет запись, Ctrl+Del удаляет; Ctrl+S сохраняет в CSV, Ctrl+P печатает"));
    DBGrid1->bind(results, {{QStringLiteral("fio"), QStringLiteral("ФИО студента")},
                            {QStringLiteral("data"), QStringLiteral("Дата")},
                            {QStringLiteral("kol"), QStringLiteral("Кол-во вопросов")},
                            {QStringLiteral("ocenka"), QStringLiteral("Оценка")}});

    DBNavigator1->setTable(results);
    DBNavigator1->setUpdateRecord([this] { DBGrid1->updateRecord(); });
    createMenu();
    arrange();
}

void TForm9::createMenu()
{
    SaveCsvAction = contextmenu::action(this, QStringLiteral("SaveCsvAction"), QStringLiteral("Сохранить в CSV…"),
                                        QKeySequence(Qt::CTRL | Qt::Key_S));
    PrintAction = contextmenu::action(this, QStringLiteral("PrintAction"), QStringLiteral("Печать…"),
                                      QKeySequence(Qt::CTRL | Qt::Key_P));
    // The right button only opens the menu: it neither moves the current row
    // nor starts editing.
    StatisticsAction = contextmenu::action(this, QStringLiteral("StatisticsAction"), QStringLiteral("Статистика…"),
                                           QKeySequence(Qt::CTRL | Qt::Key_T));
    contextmenu::attach(this, DBGrid1, {SaveCsvAction, PrintAction, StatisticsAction});
    on(SaveCsvAction, &QAction::triggered, this, &TForm9::SaveCsvActionExecute);
    on(PrintAction, &QAction::triggered, this, &TForm9::PrintActionExecute);
    on(StatisticsAction, &QAction::triggered, this, &TForm9::StatisticsActionExecute);
}

void TForm9::StatisticsActionExecute() { TForm11::open(); }

QList<DataGridColumn> TForm9::shownColumns() const
{
    const QHeaderView* header = DBGrid1->horizontalHeader();
    QList<DataGridColumn> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical))
            columns << DBGrid1->gridModel()->columns().at(logical);
    }
    return columns;
}

qint64 TForm9::shownRowCount() const
{
    Table* table = DBGrid1->table();
    if (!table)
        throw Error(QStringLiteral("The register shows no table"));
    return table->recordCount();
}

namespace {

QStringList titlesOf(const QList<DataGridColumn>& columns)
{
    QStringList titles;
    for (const DataGridColumn& c : columns)
        titles << c.title;
    return titles;
}

// A row's cells: as a spreadsheet file holds them, or as the grid shows them.
QStringList cellsOf(const Table& table, const QList<DataGridColumn>& columns, qint64 row, bool asCsv)
{
    QStringList cells;
    cells.reserve(columns.size());
    for (const DataGridColumn& c : columns) {
        const QVariant v = table.valueAt(int(row), c.field);
        cells << (asCsv ? csv::cellText(v) : v.isNull() ? QString() : value::toText(v));
    }
    return cells;
}

} // namespace

void TForm9::SaveCsvActionExecute()
{
    const qint64 rows = shownRowCount();
    const QList<DataGridColumn> columns = shownColumns();
    const Table& table = *DBGrid1->table();
    csvsave::save(this, QStringLiteral("Результаты тестирования.csv"), QStringLiteral("Сохранение результатов в CSV…"),
                  QStringLiteral("Результаты сохранены в файл «%1»."), titlesOf(columns), rows,
                  [&](qint64 row) { return cellsOf(table, columns, row, true); });
}

void TForm9::PrintActionExecute()
{
    const qint64 rows = shownRowCount();
    const QList<DataGridColumn> columns = shownColumns();
    QList<QStringList> cells;
    cells.reserve(rows);
    for (qint64 row = 0; row < rows; ++row)
        cells << cellsOf(*DBGrid1->table(), columns, row, false);
    TablePrint print(QStringLiteral("Результаты тестирования"), QDate::currentDate(), titlesOf(columns), cells);
    Platform::printPreviews().execute(
        this, QStringLiteral("Результаты тестирования"), [this, &print, rows](QPrinter& printer, bool preview) {
            const auto progress = Platform::progressDialogs().start(
                this, preview ? QStringLiteral("Подготовка к печати…") : QStringLiteral("Печать…"), 2 * rows);
            return print.print(printer, preview, [&progress](qint64 done) { return progress->advance(done); });
        });
}

void TForm9::resizeEvent(QResizeEvent* event)
{
    Form::resizeEvent(event);
    arrange();
}

void TForm9::arrange()
{
    // The navigator on the top edge, the grid on the bottom edge, both over
    // the client width; the strip between them takes the rest of the height.
    // In a window too low for both the grid gets shorter, never covering the
    // navigator.
    const int w = width();
    const int h = height();
    DBNavigator1->setGeometry(0, 0, w, kNavigatorHeight);
    const int top = std::max(kNavigatorHeight, h - kGridHeight);
    DBGrid1->setGeometry(0, top, w, std::max(h - top, 0));
}
