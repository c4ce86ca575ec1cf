// Two copies of the program taking tests on one database file at the same
// time, as the PCs of a computer lab that share the course folder do: each
// copy is graded on its own letters, whatever the other one does.
//
// The second copy is this test program started again as a child process; it
// runs the program's windows in its own process and takes the same commands
// as the first copy, one line each on its standard input, answering each
// with one line on its standard output.

#include "support/CourseFixture.h"
#include "support/SideConnection.h"

#include "app/Forms.h"
#include "app/Startup.h"
#include "app/Unit3.h"
#include "forms/Unit1.h"
#include "forms/Unit6.h"
#include "forms/Unit7.h"
#include "platform/ErrorReport.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

const char kSecondCopy[] = "NORVENA_SECOND_COPY";
const QStringList kLetters{"A", "B", "C", "D", "E"};

// Runs one command on the program's windows in this process, as the student
// would through the controls; returns the answer line: the errors shown, and
// for "done" the result window's counts.
//   topic <name>   choose the topic
//   node <k>       click the question k
//   mark <letter>  mark a letter
//   done           "Выполнено"
QString execute(TestPlatform& platform, const QString& command)
{
    platform.boxes.clear();
    const QString verb = command.section(u' ', 0, 0);
    const QString argument = command.section(u' ', 1);
    if (verb == QLatin1String("topic")) {
        Form6->sComboBox1->setEditText(argument);
        ErrorReport::run([] { Form6->sComboBox1Change(); });
    } else if (verb == QLatin1String("node")) {
        const QModelIndex node = Form6->sTreeView1->model()->index(argument.toInt() - 1, 0);
        if (!node.isValid())
            return QStringLiteral("no node ") + argument;
        Form6->sTreeView1->setCurrentIndex(node);
        ErrorReport::run([] { Form6->sTreeView1Click(); });
    } else if (verb == QLatin1String("mark")) {
        Form6->sRadioGroup1->setItemIndex(int(kLetters.indexOf(argument)));
    } else if (verb == QLatin1String("done")) {
        ErrorReport::run([] { Form6->sButton1Click(); });
    } else {
        return QStringLiteral("unknown command ") + command;
    }
    QStringList answer = platform.texts(QStringLiteral("error"));
    if (verb == QLatin1String("done") && answer.isEmpty())
        answer << QStringLiteral("%1 of %2, %3").arg(Form7->Edit2->text(), Form7->Edit1->text(), Form7->Edit4->text());
    return answer.join(QStringLiteral(" / "));
}

// Logs in as a student and opens the test window.
void startAsStudent()
{
    Form3->findChild<QLineEdit*>(QStringLiteral("Edit1"))->clear();
    Form3->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    Form1->Button44->click(); // "Тесты"
}

// The second copy: the program in the course folder named by the
// environment, taking commands until its input ends.
int runSecondCopy()
{
    QDir::setCurrent(qEnvironmentVariable(kSecondCopy));
    TestPlatform platform;
    initialiseApplication();
    createForms();
    startAsStudent();
    QTextStream in(stdin);
    QTextStream out(stdout);
    out << "ready " << platform.texts(QStringLiteral("error")).join(QStringLiteral(" / ")) << Qt::endl;
    QString command;
    while (in.readLineInto(&command))
        out << execute(platform, command) << Qt::endl;
    destroyForms();
    return 0;
}

// The second copy, seen from the first one.
class ChildCopy {
public:
    explicit ChildCopy(const QString& courseRoot)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kSecondCopy), courseRoot);
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(), {});
    }
    ~ChildCopy()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }

    // The next line the copy writes ("<timed out>" after 30 s).
    QString readLine()
    {
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(30000))
                return QStringLiteral("<timed out>");
        return QString::fromUtf8(m_process.readLine()).chopped(1);
    }

    QString send(const QString& command)
    {
        m_process.write(command.toUtf8() + '\n');
        return readLine();
    }

private:
    QProcess m_process;
};

} // namespace

class TestTwoCopies : public QObject {
    Q_OBJECT

private slots:
    void eachCopyIsGradedOnItsOwnLetters_data();
    void eachCopyIsGradedOnItsOwnLetters();
};

void TestTwoCopies::eachCopyIsGradedOnItsOwnLetters_data()
{
    QTest::addColumn<QString>("topicB");
    QTest::newRow("the same topic") << QStringLiteral("Пушкин");
    QTest::newRow("another topic") << QStringLiteral("Толстой");
}

void TestTwoCopies::eachCopyIsGradedOnItsOwnLetters()
{
    QFETCH(QString, topicB);
    const QString topicA = QStringLiteral("Пушкин");
    CourseFixture course;
    // The demo course's correct letters of the two topics, in stored order.
    SideConnection side(course.path(QStringLiteral("test.mdb")));
    const auto correctLetters = [&](const QString& topic) {
        QStringList letters;
        for (const QVariantList& row :
             side.rows(QStringLiteral("SELECT otv FROM test WHERE rasdel = ? ORDER BY rowid"), {topic}))
            letters << row.value(0).toString();
        return letters;
    };
    const QStringList lettersA = correctLetters(topicA);
    const QStringList lettersB = correctLetters(topicB);
    QVERIFY(lettersA.size() >= 10 && lettersB.size() >= 10);
    const QString resultsStored = QStringLiteral("SELECT count(*) FROM result");
    const int resultsBefore = side.scalar(resultsStored).toInt();
    // The file holds the sheet of an earlier run, as it does after any run.
    QVERIFY(side.exec(QStringLiteral("INSERT INTO testing (nom, nom1, otv) SELECT row_number() OVER (ORDER BY rowid), "
                                     "id, 'A' FROM test WHERE rasdel = ?"),
                      {topicB}));
    const QString fileSheet = QStringLiteral("SELECT rowid, nom, nom1, otv FROM testing ORDER BY rowid");
    const QList<QVariantList> earlierSheet = side.rows(fileSheet);

    // Both copies are running, their snapshots read, before either chooses a topic.
    course.start();
    startAsStudent();
    QVERIFY(Form6->isVisible());
    ChildCopy copyB(course.root());
    QCOMPARE(copyB.readLine(), QStringLiteral("ready "));

    // A answers every question right; B every second one, the others with
    // the letter after the right one. They take turns at every step.
    const auto wrong = [](const QString& letter) { return kLetters[(kLetters.indexOf(letter) + 1) % 5]; };
    QCOMPARE(execute(course.platform, QStringLiteral("topic ") + topicA), QString());
    QCOMPARE(copyB.send(QStringLiteral("topic ") + topicB), QString());
    int rightB = 0;
    for (int k = 1; k <= std::max(lettersA.size(), lettersB.size()); ++k) {
        if (k <= lettersA.size()) {
            QCOMPARE(execute(course.platform, QStringLiteral("node %1").arg(k)), QString());
            QCOMPARE(execute(course.platform, QStringLiteral("mark ") + lettersA[k - 1]), QString());
        }
        if (k <= lettersB.size()) {
            QCOMPARE(copyB.send(QStringLiteral("node %1").arg(k)), QString());
            const QString letter = k % 2 == 0 ? lettersB[k - 1] : wrong(lettersB[k - 1]);
            rightB += letter == lettersB[k - 1];
            QCOMPARE(copyB.send(QStringLiteral("mark ") + letter), QString());
        }
    }

    const QString resultA = execute(course.platform, QStringLiteral("done"));
    QCOMPARE(resultA, QStringLiteral("%1 of %1, A (4.0)").arg(lettersA.size()));
    QVERIFY(Form7->isVisible());
    const QString resultB = copyB.send(QStringLiteral("done"));
    QVERIFY2(resultB.startsWith(QStringLiteral("%1 of %2, ").arg(rightB).arg(lettersB.size())), qPrintable(resultB));

    // Both results stored; the file's own sheet untouched.
    QCOMPARE(side.scalar(resultsStored).toInt(), resultsBefore + 2);
    QCOMPARE(side.rows(fileSheet), earlierSheet);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kSecondCopy))
        return runSecondCopy();
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestTwoCopies test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_twocopies.moc"
