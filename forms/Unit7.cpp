#include "forms/Unit7.h"

#include "forms/Forms.h"
#include "forms/Unit1.h"
#include "platform/ErrorReport.h"
#include "skin/Look.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>


namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top, int width, int height)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(left, top, width, height);
    Look::setFont(l, 16, Look::Bold);
    // A label of the window system paints the colour it inherits from the
    // window, not the skin's texture.
    l->setAutoFillBackground(true);
    return l;
}

// The edits lie over the runs of blanks of the labels: made after them.
QLineEdit* edit(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(left, top, width, height);
    Look::setFont(e, 11, Look::Bold, Qt::red);
    return e;
}

// The edits stand on runs of blanks in the labels. Where the machine's font
// draws the run narrower than the windows' font, the spacing between words is
// widened until the word after the run starts past its edit, so that the
// number stands between the words.
void widenBlanksUnder(QLabel* label, const QWidget* edit)
{
    const QString text = label->text();
    qsizetype next = text.indexOf(QStringLiteral("  "));
    if (next < 0)
        return;
    while (next < text.size() && text[next] == u' ')
        ++next;
    if (next >= text.size())
        return;
    const int needed = edit->geometry().right() + 4 - label->x();
    QFont font = label->font();
    for (int spacing = 0; spacing <= 40; ++spacing) {
        font.setWordSpacing(spacing);
        const QFontMetrics metrics(font);
        // Where the word after the run begins.
        if (metrics.horizontalAdvance(text.left(next + 1)) - metrics.horizontalAdvance(text[next]) >= needed)
            break;
    }
    label->setFont(font);
}

} // namespace

TForm7::TForm7(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("Результаты тестирования"));
    setOuterGeometry(361, 139, 439, 248);
    setFont(Look::font(16));
    Look::setBackground(this, Look::kSkinnedWindowColor);
    setProperty("skinSection", "FORM");

    Label1 = label(this, "Label1", QStringLiteral("Label1"), 8, 8, 55, 20);
    Look::setTextColor(Label1, Qt::red);
    Label2 = label(this, "Label2", QStringLiteral("Из              вопросов "), 8, 40, 377, 20);
    Label3 = label(this, "Label3", QStringLiteral("вы ответили верно на              вопросов"), 8, 72, 409, 20);
    Label4 = label(this, "Label4", QStringLiteral("Ваша оценка:"), 8, 104, 353, 20);
    Label5 = label(this, "Label5", QStringLiteral("Ваш балл:"), 8, 136, 353, 20);

    Edit1 = edit(this, "Edit1", 48, 40, 41, 21);
    Edit2 = edit(this, "Edit2", 208, 72, 49, 21);
    Edit3 = edit(this, "Edit3", 136, 104, 81, 21);
    Edit4 = edit(this, "Edit4", 104, 136, 81, 21);
    // Named after the words around them.
    Edit1->setAccessibleName(QStringLiteral("Число вопросов"));
    Edit2->setAccessibleName(QStringLiteral("Верных ответов"));
    Edit3->setAccessibleName(QStringLiteral("Ваша оценка"));
    Edit4->setAccessibleName(QStringLiteral("Ваш балл"));
    widenBlanksUnder(Label2, Edit1);
    widenBlanksUnder(Label3, Edit2);

    sButton1 = new QPushButton(QStringLiteral("Закрыть"), this);
    sButton1->setObjectName(QStringLiteral("sButton1"));
    sButton1->setGeometry(8, 176, 409, 25);
    sButton1->setProperty("skinSection", "BUTTON");

    // Tab order: the letter grade, the five-point grade, N, k, "Закрыть".
    QWidget::setTabOrder(Edit4, Edit3);
    QWidget::setTabOrder(Edit3, Edit1);
    QWidget::setTabOrder(Edit1, Edit2);
    QWidget::setTabOrder(Edit2, sButton1);

    on(sButton1, &QPushButton::clicked, this, &TForm7::sButton1Click);
}

void TForm7::sButton1Click()
{
    Form1->showAndRaise();
    hide();
}
