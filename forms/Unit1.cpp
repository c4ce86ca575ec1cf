#include "forms/Unit1.h"

#include "app/Globals.h"
#include "platform/FileSystem.h"

#include <QLineEdit>
#include <QPushButton>

TForm1::TForm1(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Норвена"));
    Button7 = new QPushButton(QStringLiteral("Добавить"), this);
    Button8 = new QPushButton(QStringLiteral("Удалить"), this);
    Edit3 = new QLineEdit(this);
}

void TForm1::FormCreate()
{
    HomeDir = FileSystem::currentDirectory();
}
