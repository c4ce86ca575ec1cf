#include "forms/Unit10.h"

#include "forms/Forms.h"
#include "data/Table.h"
#include "forms/Unit6.h"
#include "platform/ErrorReport.h"
#include "platform/ListBox.h"
#include "platform/Platform.h"
#include "skin/Look.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// Show command of the launch: show and activate the started program's window
// in its current size and position.
constexpr int kShowNormal = 5;

// The text of an edit as a present value: an empty edit gives the empty
// text, which the database stores as such, never as an absent value.
QString typedText(const QLineEdit* edit)
{
    const QString text = edit->text();
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

TForm10::TForm10(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm10"));
    setWindowTitle(QStringLiteral("Мультимедиа"));
    setOuterGeometry(344, 139, 426, 339);
    setFont(Look::font(16));
    Look::setBackground(this, Look::kSkinnedWindowColor);
    setProperty("skinSection", "FORM");

    sListBox1 = new ListBox(this);
    sListBox1->setObjectName(QStringLiteral("sListBox1"));
    sListBox1->setGeometry(8, 8, 401, 153);
    sListBox1->setSortingEnabled(false);
    sListBox1->setProperty("skinSection", "EDIT");

    sButton1 = new QPushButton(QStringLiteral("Запустить"), this);
    sButton1->setObjectName(QStringLiteral("sButton1"));
    sButton1->setGeometry(8, 168, 105, 25);
    sButton1->setProperty("skinSection", "BUTTON");

    sEdit1 = new QLineEdit(this);
    sEdit1->setObjectName(QStringLiteral("sEdit1"));
    sEdit1->setGeometry(16, 48, 121, 28);
    sEdit1->setVisible(false);
    sEdit1->setProperty("skinSection", "EDIT");

    sLabel1 = new QLabel(QStringLiteral("Тема: "), this);
    sLabel1->setObjectName(QStringLiteral("sLabel1"));
    sLabel1->setGeometry(16, 208, 46, 20);

    sEdit2 = new QLineEdit(this);
    sEdit2->setObjectName(QStringLiteral("sEdit2"));
    sEdit2->setGeometry(64, 200, 345, 28);
    sEdit2->setProperty("skinSection", "EDIT");

    sLabel2 = new QLabel(QStringLiteral("Название файла:"), this);
    sLabel2->setObjectName(QStringLiteral("sLabel2"));
    sLabel2->setGeometry(16, 240, 134, 20);

    sEdit3 = new QLineEdit(this);
    sEdit3->setObjectName(QStringLiteral("sEdit3"));
    sEdit3->setGeometry(152, 232, 257, 28);
    sEdit3->setProperty("skinSection", "EDIT");

    sButton2 = new QPushButton(QStringLiteral("Добавить"), this);
    sButton2->setObjectName(QStringLiteral("sButton2"));
    sButton2->setGeometry(8, 272, 105, 25);
    sButton2->setProperty("skinSection", "BUTTON");

    sListBox1->setAccessibleName(QStringLiteral("Мультимедиа"));
    sEdit1->setAccessibleName(QStringLiteral("Выбранный файл"));
    sEdit2->setAccessibleName(QStringLiteral("Тема"));
    sEdit3->setAccessibleName(QStringLiteral("Название файла"));

    // Tab order: sButton1, sEdit1, sListBox1, sEdit2, sEdit3, sButton2.
    setTabOrder(sButton1, sEdit1);
    setTabOrder(sEdit1, sListBox1);
    setTabOrder(sListBox1, sEdit2);
    setTabOrder(sEdit2, sEdit3);
    setTabOrder(sEdit3, sButton2);

    on(sButton1, &QPushButton::clicked, this, &TForm10::sButton1Click);
    on(sButton2, &QPushButton::clicked, this, &TForm10::sButton2Click);
}

void TForm10::OpenMedia()
{
    showAndRaise();
    sListBox1->clear();
    Form6->tblMedia->open();
    fillList();
    sEdit1->clear();
    sEdit2->clear();
    sEdit3->clear();
}

void TForm10::fillList()
{
    Table* media = Form6->tblMedia;
    media->first();
    const int n = media->recordCount();
    for (int i = 0; i < n; ++i) {
        sListBox1->addItem(media->text(QStringLiteral("name")));
        media->next();
    }
}

void TForm10::sButton1Click()
{
    const QList<QListWidgetItem*> selected = sListBox1->selectedItems();
    if (selected.isEmpty())
        return;
    sEdit1->setText(selected.first()->text());

    // The line is tied to its row by its text only. A name sorts before every
    // longer name that begins with it, so the partial, case-blind search finds
    // the row of the selected line even when a longer name shares its start.
    // When nothing is found, the current row's file is the one opened.
    Table* media = Form6->tblMedia;
    media->locate(QStringLiteral("name"), sEdit1->text(), Table::CaseInsensitive | Table::PartialKey);
    const QString path = QStringLiteral("media/") + media->text(QStringLiteral("file"));
    LaunchFile(path, QString(), QString(), kShowNormal);
}

void TForm10::sButton2Click()
{
    Table* media = Form6->tblMedia;
    media->insert();
    media->setValue(QStringLiteral("name"), typedText(sEdit2));
    media->setValue(QStringLiteral("file"), typedText(sEdit3));
    media->post();
    sEdit2->clear();
    sEdit3->clear();
    sListBox1->clear();
    media->refresh();
    fillList();
}

int TForm10::LaunchFile(const QString& file, const QString& parameters, const QString& directory, int showCommand)
{
    // No operation: the shell applies the file's default action.
    return Platform::shell().execute(QString(), file, parameters, directory, showCommand);
}
