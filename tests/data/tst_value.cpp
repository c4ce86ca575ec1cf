// The comparison and conversion rules for field values.

#include "data/Value.h"
#include "platform/Error.h"

#include <QDate>
#include <QTest>

class TestValue : public QObject {
    Q_OBJECT

private slots:
    void equal_data()
    {
        QTest::addColumn<QVariant>("a");
        QTest::addColumn<QVariant>("b");
        QTest::addColumn<bool>("expected");
        const QVariant absent;
        QTest::newRow("two absent values") << absent << QVariant(QMetaType::fromType<QString>()) << true;
        QTest::newRow("absent and empty text") << absent << QVariant(QString("")) << false;
        QTest::newRow("empty text and absent") << QVariant(QString("")) << absent << false;
        QTest::newRow("absent and a letter") << absent << QVariant("A") << false;
        QTest::newRow("same letters") << QVariant("C") << QVariant("C") << true;
        QTest::newRow("letter case counts") << QVariant("c") << QVariant("C") << false;
        QTest::newRow("cyrillic case counts") << QVariant("Пушкин") << QVariant("пушкин") << false;
        QTest::newRow("trailing blank counts") << QVariant("A ") << QVariant("A") << false;
        QTest::newRow("numbers by value") << QVariant(qlonglong(12)) << QVariant(12) << true;
        QTest::newRow("integer and real") << QVariant(3) << QVariant(3.0) << true;
        QTest::newRow("number and text as texts") << QVariant(qlonglong(12)) << QVariant("12") << true;
        QTest::newRow("number and padded text") << QVariant(12) << QVariant("012") << false;
        QTest::newRow("dates") << QVariant(QDate(2024, 5, 1)) << QVariant(QDate(2024, 5, 1)) << true;
        QTest::newRow("date and its text") << QVariant(QDate(2024, 5, 1)) << QVariant("01.05.2024") << true;
    }
    void equal()
    {
        QFETCH(QVariant, a);
        QFETCH(QVariant, b);
        QFETCH(bool, expected);
        QCOMPARE(value::equal(a, b), expected);
        QCOMPARE(value::equal(b, a), expected);
    }

    void toText_data()
    {
        QTest::addColumn<QVariant>("v");
        QTest::addColumn<QString>("expected");
        QTest::newRow("integer") << QVariant(qlonglong(1234)) << "1234";
        QTest::newRow("negative") << QVariant(-7) << "-7";
        QTest::newRow("zero") << QVariant(0) << "0";
        QTest::newRow("large") << QVariant(qlonglong(9007199254740993LL)) << "9007199254740993";
        QTest::newRow("text as it is") << QVariant(" Вопрос\r\nA) да ") << " Вопрос\r\nA) да ";
        QTest::newRow("empty text") << QVariant(QString("")) << "";
        QTest::newRow("date") << QVariant(QDate(2024, 3, 9)) << "09.03.2024";
    }
    void toText()
    {
        QFETCH(QVariant, v);
        QFETCH(QString, expected);
        QCOMPARE(value::toText(v), expected);
    }

    void absentValueHasNoText_data()
    {
        QTest::addColumn<QVariant>("v");
        QTest::newRow("invalid") << QVariant();
        QTest::newRow("null of a type") << QVariant(QMetaType::fromType<qlonglong>());
    }
    void absentValueHasNoText()
    {
        QFETCH(QVariant, v);
        try {
            value::toText(v);
            QFAIL("no error");
        } catch (const Error& e) {
            QCOMPARE(e.message(), QStringLiteral("Could not convert variant of type (Null) into type (String)"));
        }
    }

    // A node's or a sheet row's number read back as an integer; an empty
    // text (a row stored without it) and anything but digits are refused.
    void toInteger_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("expected");
        QTest::newRow("digits") << "42" << true << 42;
        QTest::newRow("blanks around") << " 7 " << true << 7;
        QTest::newRow("sign") << "-3" << true << -3;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("letters after the digits") << "12a" << false << 0;
        QTest::newRow("a fraction") << "1.5" << false << 0;
    }
    void toInteger()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, expected);
        try {
            QCOMPARE(value::toInteger(text), expected);
            QVERIFY2(valid, "no error");
        } catch (const Error& e) {
            QVERIFY2(!valid, qPrintable(e.message()));
            QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
    }
};

QTEST_APPLESS_MAIN(TestValue)
#include "tst_value.moc"
