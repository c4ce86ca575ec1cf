// "Удалить" on a large question base as other programs see it: the delete and
// both renumbering walks reach the file together, so another copy reading the
// file while they run sees the old numbering or the new one, never a mix,
// and a copy killed in the middle leaves the old numbering behind.
//
// The editor runs in a second process: this test executable started again
// with NORVENA_RENUMBERING_CHILD set.

#include "support/CourseFixture.h"
#include "support/SideConnection.h"

#include "app/Forms.h"
#include "forms/Globals.h"
#include "app/Startup.h"
#include "data/Table.h"
#include "forms/Unit6.h"
#include "forms/Unit8.h"
#include "platform/ErrorReport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <cstdio>

namespace {

constexpr const char* kChildCourse = "NORVENA_RENUMBERING_CHILD";
constexpr const char* kChildPauseAt = "NORVENA_RENUMBERING_PAUSE_AT";

constexpr int kQuestions = 3000;
constexpr int kDeletedNode = 1000; // the question shown, then deleted
const QStringList kTopics{QStringLiteral("Пушкин"), QStringLiteral("Лермонтов"), QStringLiteral("Гоголь")};

// The second copy: opens the editor on the course, shows question
// kDeletedNode and deletes it. With a pause set, it stops for good at that
// edit of the renumbering (saying "paused"), holding the action open, until
// it is killed.
int renumberingChild(const QString& course, int pauseAt)
{
    QDir::setCurrent(course);
    TestPlatform platform;
    initialiseApplication();
    createForms();
    UserRole = QStringLiteral("prepod");
    ErrorReport::run([] { Form8->OpenEditor(); });
    Form8->sTreeView1->setCurrentIndex(Form8->sTreeView1->model()->index(kDeletedNode - 1, 0));
    ErrorReport::run([] { Form8->sTreeView1Click(); });

    int edits = 0;
    QObject::connect(Form6->tblTest, &Table::stateChanged, [&edits, pauseAt] {
        if (Form6->tblTest->state() != Table::State::Edit || ++edits != pauseAt)
            return;
        std::fputs("paused\n", stdout);
        std::fflush(stdout);
        for (;;)
            QThread::msleep(50);
    });
    Form8->sButton3->click();
    const int result = platform.boxes.isEmpty() ? 0 : 3;
    destroyForms();
    return result;
}

// What the file holds, as another program reads it.
enum class Seen { Old, New, Mixed };

struct Row {
    qlonglong id, nom1, nom;
    QString topic;
};

QList<Row> readRows(SideConnection& side)
{
    QList<Row> rows;
    for (const QVariantList& r : side.rows(QStringLiteral("SELECT id, nom1, nom, rasdel FROM test ORDER BY rowid")))
        rows.append({r[0].toLongLong(), r[1].toLongLong(), r[2].toLongLong(), r[3].toString()});
    return rows;
}

// Whether the rows are numbered densely: nom1 1 … n over the table and nom
// 1 … m within each topic, in stored order.
bool dense(const QList<Row>& rows)
{
    QHash<QString, qlonglong> inTopic;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].nom1 != i + 1 || rows[i].nom != ++inTopic[rows[i].topic])
            return false;
    }
    return true;
}

Seen classify(const QList<Row>& rows)
{
    if (rows.size() == kQuestions && rows[kDeletedNode - 1].id == kDeletedNode && dense(rows))
        return Seen::Old;
    if (rows.size() == kQuestions - 1 && rows[kDeletedNode - 1].id == kDeletedNode + 1 && dense(rows))
        return Seen::New;
    return Seen::Mixed;
}

const char* name(Seen seen)
{
    switch (seen) {
    case Seen::Old:
        return "old numbering";
    case Seen::New:
        return "new numbering";
    case Seen::Mixed:
        break;
    }
    return "a mix of numberings";
}

} // namespace

class TestRenumbering : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readerDuringTheRenumberingAndAKillInTheMiddle();
    void readerWhileTheRenumberingRunsToItsEnd();

private:
    QProcess* startChild(int pauseAt);
    QString database() const { return course->path(QStringLiteral("test.mdb")); }

    std::unique_ptr<CourseFixture> course;
};

void TestRenumbering::init()
{
    course = std::make_unique<CourseFixture>();
    // kQuestions questions dealt round the topics, numbered densely.
    SideConnection db(database());
    QVERIFY(db.exec(QStringLiteral("BEGIN")));
    QVERIFY(db.exec(QStringLiteral("DELETE FROM test")));
    QVERIFY(db.exec(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = 'test'")));
    QHash<QString, int> inTopic;
    for (int i = 1; i <= kQuestions; ++i) {
        const QString& topic = kTopics[i % kTopics.size()];
        QVERIFY(
            db.exec(QStringLiteral("INSERT INTO test (id, nom1, nom, rasdel, test, otv) VALUES (?, ?, ?, ?, ?, 'A')"),
                    {i, i, ++inTopic[topic], topic, QStringLiteral("Вопрос %1").arg(i)}));
    }
    QVERIFY(db.exec(QStringLiteral("COMMIT")));
    QCOMPARE(classify(readRows(db)), Seen::Old);
}

void TestRenumbering::cleanup() { course.reset(); }

QProcess* TestRenumbering::startChild(int pauseAt)
{
    auto* child = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildCourse), course->root());
    env.insert(QString::fromLatin1(kChildPauseAt), QString::number(pauseAt));
    child->setProcessEnvironment(env);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationFilePath(), {});
    return child;
}

void TestRenumbering::readerDuringTheRenumberingAndAKillInTheMiddle()
{
    // Stopped halfway through numbering the rows after the deleted one.
    QProcess* child = startChild(kDeletedNode + 500);
    QVERIFY(child->waitForReadyRead(60000));
    QCOMPARE(child->readLine().trimmed(), QByteArray("paused"));
    {
        SideConnection reader(database());
        QCOMPARE(name(classify(readRows(reader))), name(Seen::Old));
    }
    child->kill();
    QVERIFY(child->waitForFinished(10000));
    QCOMPARE(child->exitStatus(), QProcess::CrashExit);

    SideConnection after(database());
    QCOMPARE(after.scalar(QStringLiteral("PRAGMA integrity_check")), QVariant("ok"));
    QCOMPARE(name(classify(readRows(after))), name(Seen::Old));
}

void TestRenumbering::readerWhileTheRenumberingRunsToItsEnd()
{
    QProcess* child = startChild(0);
    SideConnection reader(database());
    QList<Seen> seen;
    while (!child->waitForFinished(2)) {
        const Seen now = classify(readRows(reader));
        if (seen.isEmpty() || seen.last() != now)
            seen << now;
        QVERIFY2(now != Seen::Mixed, name(now));
        QVERIFY(seen.size() <= 2);
    }
    QCOMPARE(child->exitStatus(), QProcess::NormalExit);
    QCOMPARE(child->exitCode(), 0);
    QCOMPARE(name(classify(readRows(reader))), name(Seen::New));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildCourse))
        return renumberingChild(qEnvironmentVariable(kChildCourse), qEnvironmentVariableIntValue(kChildPauseAt));
    TestRenumbering test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_renumbering.moc"
