#include "forms/Unit6.h"

#include "data/Connection.h"
#include "data/Table.h"
#include "platform/ErrorReport.h"
#include "skin/Look.h"

TForm6::TForm6(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Тестирование"));
    setOuterGeometry(250, 80, 794, 638);
    Look::setBackground(this, Look::kSkinnedWindowColor);

    ADOConnection1 = new Connection(QStringLiteral("ADOConnection1"), this);
    tblTemi = new Table(QStringLiteral("tblTemi"), ADOConnection1, QStringLiteral("temi"), this);
    tblTest = new Table(QStringLiteral("tblTest"), ADOConnection1, QStringLiteral("test"), this);
    tblTesting = new Table(QStringLiteral("tblTesting"), ADOConnection1, QStringLiteral("testing"), this);
    tblResult = new Table(QStringLiteral("tblResult"), ADOConnection1, QStringLiteral("result"), this);
    tblMedia = new Table(QStringLiteral("tblMedia"), ADOConnection1, QStringLiteral("media"), this);
    DataSource1.DataSet = tblTemi;
    DataSource2.DataSet = tblTest;
    DataSource3.DataSet = tblTesting;
    DataSource4.DataSet = tblResult;
    DataSource5.DataSet = tblMedia;
}

TForm6::~TForm6() = default;

void TForm6::FormCreate()
{
    ErrorReport::run([this] { ADOConnection1->open(); });
    for (Table* table : {tblTemi, tblTest, tblTesting, tblResult, tblMedia})
        ErrorReport::run([table] { table->open(); });
}
