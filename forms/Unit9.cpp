#include "forms/Unit9.h"

#include "app/Forms.h"
#include "forms/DataGrid.h"
#include "forms/DataNavigator.h"
#include "forms/Unit6.h"
#include "skin/Look.h"

#include <QApplication>

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
    DBGrid1->bind(results, {{QStringLiteral("fio"), QStringLiteral("ФИО студента")},
                            {QStringLiteral("data"), QStringLiteral("Дата")},
                            {QStringLiteral("kol"), QStringLiteral("Кол-во вопросов")},
                            {QStringLiteral("ocenka"), QStringLiteral("Оценка")}});

    DBNavigator1->setTable(results);
    DBNavigator1->setUpdateRecord([this] { DBGrid1->updateRecord(); });
    arrange();
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
