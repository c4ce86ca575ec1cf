// The test editor's context menu on the demo course: topics imported from
// Aiken files (rows, numbers, the topic in temi, errors refused whole,
// cancelling) and exported to them, with the round trip export → import;
// the same menu for Moodle XML, GIFT and IMS QTI 2.1.

#include "support/CourseFixture.h"
#include "support/SideConnection.h"

#include "app/Forms.h"
#include "app/Unit3.h"
#include "data/Aiken.h"
#include "data/QuestionBank.h"
#include "data/Table.h"
#include "forms/Unit1.h"
#include "forms/Unit6.h"
#include "forms/Unit8.h"
#include "platform/Cp1251.h"
#include "platform/RealDialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString kPushkin = QStringLiteral("Пушкин");

const QString kBank = QStringLiteral("Кто написал «Ревизора»?\n"
                                     "A) Гоголь\n"
                                     "B) Грибоедов\n"
                                     "ANSWER: A\n"
                                     "\n"
                                     "Сколько глав в «Евгении Онегине»?\n"
                                     "не считая «Отрывков из путешествия»\n"
                                     "A. семь\n"
                                     "B. восемь\n"
                                     "C. девять\n"
                                     "ANSWER: B\n");

QString shown(const QVariant& v) { return v.isNull() ? QStringLiteral("(absent)") : v.toString(); }

} // namespace

class TestEditorBank : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CourseFixture> course;

    void startAsTeacher()
    {
        course->start();
        QVERIFY(course->platform.boxes.isEmpty());
        Form3->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("quartz"));
        click(Form3->findChild<QPushButton*>(QStringLiteral("Button1")));
        course->platform.clear();
        click(Form1->Button44);
        QVERIFY(Form8->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(Form8));
    }

    // Rows of a query on the course's database, each as "value | value ...".
    QStringList rows(const QString& select, const QVariantList& values = {})
    {
        SideConnection db(course->path(QStringLiteral("test.mdb")));
        QStringList out;
        for (const QVariantList& row : db.rows(select, values)) {
            QStringList cells;
            for (const QVariant& v : row)
                cells << shown(v);
            out << cells.join(QStringLiteral(" | "));
        }
        return out;
    }

    int storedQuestions() { return rows(QStringLiteral("SELECT count(*) FROM test")).value(0).toInt(); }

private slots:
    void init() { course = std::make_unique<CourseFixture>(); }
    void cleanup()
    {
        const QString problems = course->platform.verifyDone();
        course.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }

    void contextMenuLeavesTheSelectedNode()
    {
        startAsTeacher();
        QTreeView* tree = Form8->sTreeView1;
        const QModelIndex second = tree->model()->index(1, 0);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(second).center());
        QCOMPARE(Form8->sTreeView1->selectedText(), QStringLiteral("2"));

        QStringList items;
        auto readMenu = [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                for (QAction* a : popup->actions())
                    items << a->text() + u'\t' + a->shortcut().toString();
                popup->close();
            }
        };
        const QPoint at = tree->visualRect(tree->model()->index(4, 0)).center();
        QTimer::singleShot(0, readMenu);
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, at);
        if (items.isEmpty()) { // the window system sent no context menu event of its own
            QTimer::singleShot(0, readMenu);
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
            QApplication::sendEvent(tree->viewport(), &event);
        }
        QCOMPARE(items,
                 QStringList({"Импорт вопросов…\tCtrl+O", "Импорт из Moodle XML…\t", "Импорт из GIFT…\t",
                              "Импорт из IMS QTI 2.1…\t", "Экспорт темы…\tCtrl+S", "Экспорт темы в Moodle XML…\t",
                              "Экспорт темы в GIFT…\t", "Экспорт темы в IMS QTI 2.1…\t", "Статистика…\tCtrl+T"}));
        QCOMPARE(Form8->sTreeView1->selectedText(), QStringLiteral("2"));
        QCOMPARE(Form6->tblTest->value("nom1"), QVariant(qlonglong(2)));
    }

    void importIntoTheTopicInTheEdit_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("UTF-8") << kBank.toUtf8();
        QTest::newRow("Windows-1251, CR LF") << Cp1251::encode(QString(kBank).replace(u'\n', QStringLiteral("\r\n")));
    }

    void importIntoTheTopicInTheEdit()
    {
        QFETCH(QByteArray, file);
        startAsTeacher();
        const int before = storedQuestions();
        const int pushkin = rows(QStringLiteral("SELECT count(*) FROM test WHERE rasdel = ?"), {kPushkin})[0].toInt();
        course->writeFile(QStringLiteral("вопросы.txt"), file);
        Form8->sEdit1->setText(kPushkin);
        course->platform.fileAnswers << course->path(QStringLiteral("вопросы.txt"));
        QTest::keyClick(Form8->sTreeView1, Qt::Key_O, Qt::ControlModifier);

        QCOMPARE(course->platform.fileDialogs.size(), 1);
        QCOMPARE(course->platform.fileDialogs[0].kind, QStringLiteral("open"));
        QCOMPARE(course->platform.textQuestions.size(), 0);
        QCOMPARE(course->platform.texts(QStringLiteral("notice")),
                 QStringList{QStringLiteral("Добавлено вопросов: 2 (тема «Пушкин»).")});
        QCOMPARE(rows(QStringLiteral("SELECT nom1, nom, rasdel, otv, test FROM test WHERE id > "
                                     "(SELECT max(id) - 2 FROM test) ORDER BY id")),
                 (QStringList{QStringLiteral("%1 | %2 | Пушкин | A | Кто написал «Ревизора»?\r\nA) Гоголь\r\nB) "
                                             "Грибоедов")
                                  .arg(before + 1)
                                  .arg(pushkin + 1),
                              QStringLiteral("%1 | %2 | Пушкин | B | Сколько глав в «Евгении Онегине»?\r\nне считая "
                                             "«Отрывков из путешествия»\r\nA. семь\r\nB. восемь\r\nC. девять")
                                  .arg(before + 2)
                                  .arg(pushkin + 2)}));
        // Listed once in temi, as before; the tree lists every question.
        QCOMPARE(rows(QStringLiteral("SELECT count(*) FROM temi WHERE rasdel = ?"), {kPushkin}), QStringList{"1"});
        QCOMPARE(Form8->sTreeView1->nodeCount(), before + 2);
        // A click on the new node shows the question as the memo shows any other.
        Form8->sTreeView1->setCurrentIndex(Form8->sTreeView1->model()->index(before, 0));
        Form8->sTreeView1Click();
        QCOMPARE(Form8->sMemo1->toPlainText(), QStringLiteral("Кто написал «Ревизора»?\nA) Гоголь\nB) Грибоедов"));
        QCOMPARE(Form8->sRadioGroup1->itemIndex(), 0);
    }

    void importAsksForATopicWhenTheEditIsEmpty()
    {
        startAsTeacher();
        course->writeFile(QStringLiteral("ревизор.txt"), kBank.toUtf8());

        // Cancelled at the question: nothing written.
        const int before = storedQuestions();
        course->platform.fileAnswers << course->path(QStringLiteral("ревизор.txt"));
        course->platform.textAnswers << std::nullopt;
        Form8->ImportAction->trigger();
        // The box starts empty and offers the course's topics, never the file's name.
        QCOMPARE(course->platform.textQuestions.size(), 1);
        QCOMPARE(course->platform.textQuestions[0].initial, QString());
        const QStringList topics = rows(QStringLiteral("SELECT rasdel FROM temi ORDER BY rowid"));
        QCOMPARE(course->platform.textQuestions[0].choices.mid(0, topics.size()), topics);
        QVERIFY(!course->platform.textQuestions[0].choices.contains(QStringLiteral("ревизор")));
        QCOMPARE(storedQuestions(), before);
        QCOMPARE(Form8->sEdit1->text(), QString());

        // A topic of blanks only: the editor's message.
        course->platform.fileAnswers << course->path(QStringLiteral("ревизор.txt"));
        course->platform.textAnswers << QStringLiteral("   ");
        Form8->ImportAction->trigger();
        QCOMPARE(course->platform.texts(QStringLiteral("information-ok")),
                 QStringList{QStringLiteral("Укажите тему раздела тестирования!")});
        QCOMPARE(storedQuestions(), before);

        // A new topic: stands in the edit and is added to temi, numbered 1, 2.
        course->platform.clear();
        course->platform.fileAnswers << course->path(QStringLiteral("ревизор.txt"));
        course->platform.textAnswers << QStringLiteral("Гоголь: «Ревизор»");
        Form8->ImportAction->trigger();
        QCOMPARE(Form8->sEdit1->text(), QStringLiteral("Гоголь: «Ревизор»"));
        QCOMPARE(rows(QStringLiteral("SELECT nom FROM test WHERE rasdel = ? ORDER BY id"), {"Гоголь: «Ревизор»"}),
                 QStringList({"1", "2"}));
        QCOMPARE(rows(QStringLiteral("SELECT rasdel FROM temi WHERE rowid = (SELECT max(rowid) FROM temi)")),
                 QStringList{"Гоголь: «Ревизор»"});
        // The test window offers it to students.
        Form6->OpenTestWindow();
        QVERIFY(Form6->sComboBox1->findText(QStringLiteral("Гоголь: «Ревизор»")) >= 0);
    }

    void realTopicBoxStartsEmpty()
    {
        // The window system's box for a topic: the topics to pick from, and
        // nothing in the edit until the user picks or types one.
        QString shownText;
        QStringList items;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            QComboBox* box = dialog->findChild<QComboBox*>();
            shownText = box ? box->currentText() : QStringLiteral("(no box)");
            for (int i = 0; box && i < box->count(); ++i)
                items << box->itemText(i);
            dialog->reject();
        });
        RealInputDialogs dialogs;
        const auto answer = dialogs.askText(nullptr, QStringLiteral("Импорт вопросов"), QStringLiteral("Тема:"),
                                            {kPushkin, QStringLiteral("Гоголь")}, QString());
        QVERIFY(!answer);
        QCOMPARE(items, QStringList({kPushkin, QStringLiteral("Гоголь")}));
        QCOMPARE(shownText, QString());
    }

    void fileWithErrorsIsRefusedWhole()
    {
        startAsTeacher();
        const int before = storedQuestions();
        const int topics = rows(QStringLiteral("SELECT count(*) FROM temi"))[0].toInt();
        course->writeFile(QStringLiteral("bad.txt"),
                          QByteArray(kBank.toUtf8() + "\nВопрос\nA) 1\nC) 2\nANSWER: A\n\nЕщё\nANSWER: B\n"));
        course->platform.fileAnswers << course->path(QStringLiteral("bad.txt"));
        Form8->ImportAction->trigger();
        QCOMPARE(
            course->platform.texts(QStringLiteral("error")),
            QStringList{QStringLiteral("Файл «bad.txt» не принят, ни один вопрос не добавлен:\n"
                                       "строка 15: ожидался вариант B, а стоит C\n"
                                       "строка 19: у вопроса из строки 18 нет вариантов ответа «A) …» или «A. …».")});
        QCOMPARE(course->platform.textQuestions.size(), 0);
        QCOMPARE(storedQuestions(), before);
        QCOMPARE(rows(QStringLiteral("SELECT count(*) FROM temi"))[0].toInt(), topics);

        // A file that is not there.
        course->platform.fileAnswers << course->path(QStringLiteral("нет.txt"));
        Form8->ImportAction->trigger();
        QCOMPARE(course->platform.texts(QStringLiteral("error")).size(), 2);
        QVERIFY(course->platform.texts(QStringLiteral("error"))[1].startsWith(QStringLiteral("Cannot open file")));

        // A file far larger than any question bank (a film chosen by mistake) is not read.
        QFile film(course->path(QStringLiteral("фильм.avi")));
        QVERIFY(film.open(QIODevice::WriteOnly) && film.resize(65 * 1024 * 1024));
        film.close();
        course->platform.fileAnswers << film.fileName();
        Form8->ImportAction->trigger();
        QCOMPARE(course->platform.texts(QStringLiteral("error")).value(2),
                 QStringLiteral("Файл «фильм.avi» не принят, ни один вопрос не добавлен: файл больше 64 МБ, "
                                "это не файл вопросов."));
        QCOMPARE(storedQuestions(), before);
    }

    void cancelledImportWritesNothing()
    {
        startAsTeacher();
        QString bank;
        for (int i = 1; i <= 500; ++i)
            bank += QStringLiteral("Вопрос %1\nA) да\nB) нет\nANSWER: B\n\n").arg(i);
        course->writeFile(QStringLiteral("большой.txt"), bank.toUtf8());
        const QStringList before = rows(QStringLiteral("SELECT * FROM test ORDER BY rowid")) +
                                   rows(QStringLiteral("SELECT * FROM temi ORDER BY rowid"));
        const int nodes = Form8->sTreeView1->nodeCount();
        Form8->sEdit1->setText(QStringLiteral("Большая тема"));
        course->platform.fileAnswers << course->path(QStringLiteral("большой.txt"));
        course->platform.cancelProgressAt = 300;
        Form8->ImportAction->trigger();
        QCOMPARE(course->platform.progresses.size(), 1);
        QVERIFY(course->platform.progresses[0].cancelled);
        QCOMPARE(course->platform.progresses[0].maximum, 500);
        QCOMPARE(rows(QStringLiteral("SELECT * FROM test ORDER BY rowid")) +
                     rows(QStringLiteral("SELECT * FROM temi ORDER BY rowid")),
                 before);
        QCOMPARE(Form8->sTreeView1->nodeCount(), nodes);
        QCOMPARE(Form6->tblTest->recordCount(), nodes);
        QVERIFY(course->platform.boxes.isEmpty());
    }

    void exportThenImportGivesTheSameQuestions()
    {
        startAsTeacher();
        Form8->sEdit1->setText(kPushkin);
        const QString file = course->path(QStringLiteral("Пушкин.txt"));
        course->platform.fileAnswers << file;
        QTest::keyClick(Form8->sTreeView1, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(course->platform.fileDialogs.size(), 1);
        QCOMPARE(course->platform.fileDialogs[0].kind, QStringLiteral("save"));
        QVERIFY(course->platform.fileDialogs[0].proposed.endsWith(QStringLiteral("/Пушкин.txt")));
        const QByteArray written = course->readFile(QStringLiteral("Пушкин.txt"));
        QVERIFY(written.startsWith(QStringLiteral("В каком году родился Александр Сергеевич Пушкин?\r\nA) ").toUtf8()));
        QCOMPARE(course->platform.texts(QStringLiteral("notice")),
                 QStringList{QStringLiteral("Вопросы темы «Пушкин» сохранены в файл «%1».").arg(file)});

        Form8->sEdit1->setText(QStringLiteral("Пушкин, копия"));
        course->platform.fileAnswers << file;
        Form8->ImportAction->trigger();
        const QStringList original =
            rows(QStringLiteral("SELECT replace(test, char(13), ''), otv FROM test WHERE rasdel = ? ORDER BY id"),
                 {kPushkin});
        QVERIFY(original.size() >= 5);
        QCOMPARE(rows(QStringLiteral("SELECT replace(test, char(13), ''), otv FROM test WHERE rasdel = ? ORDER BY id"),
                      {QStringLiteral("Пушкин, копия")}),
                 original);
    }

    void importFromMoodleXml()
    {
        startAsTeacher();
        const int before = storedQuestions();
        course->writeFile(QStringLiteral("moodle.xml"),
                          QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n"
                                     "<question type=\"essay\"><name><text>Эссе</text></name></question>\n"
                                     "<question type=\"multichoice\"><name><text>Ревизор</text></name>\n"
                                     "<questiontext format=\"html\"><text><![CDATA[<p>Кто написал "
                                     "&laquo;Ревизора&raquo;?</p>]]></text></questiontext>\n"
                                     "<answer fraction=\"100\"><text>Гоголь</text><feedback><text>Да</text></feedback>"
                                     "</answer><answer fraction=\"0\"><text>Грибоедов</text></answer>\n"
                                     "</question>\n</quiz>\n"));
        Form8->sEdit1->setText(kPushkin);
        course->platform.fileAnswers << course->path(QStringLiteral("moodle.xml"));
        Form8->ImportMoodleXmlAction->trigger();
        QCOMPARE(course->platform.fileDialogs.size(), 1);
        QCOMPARE(course->platform.fileDialogs[0].filter,
                 QStringLiteral("Вопросы в формате Moodle XML (*.xml);;Все файлы (*)"));
        QCOMPARE(course->platform.progresses.size(), 1);
        QCOMPARE(course->platform.texts(QStringLiteral("notice")),
                 QStringList{QStringLiteral("Добавлено вопросов: 1 (тема «Пушкин»).\n\nНе перенесено из файла:\n"
                                            "вопрос 1 «Эссе» (строка 3): не перенесён: эссе — переносятся только "
                                            "вопросы с выбором одного ответа\n"
                                            "вопрос 2 «Ревизор» (строка 4): не перенесено: отзывы")});
        QCOMPARE(rows(QStringLiteral("SELECT rasdel, otv, test FROM test WHERE id = (SELECT max(id) FROM test)")),
                 QStringList{QStringLiteral("Пушкин | A | Кто написал «Ревизора»?\r\nA) Гоголь\r\nB) Грибоедов")});
        QCOMPARE(storedQuestions(), before + 1);

        // A damaged package: refused whole, nothing written.
        course->writeFile(QStringLiteral("вопросы.zip"), QByteArray("PK\x03\x04 damaged"));
        course->platform.fileAnswers << course->path(QStringLiteral("вопросы.zip"));
        Form8->ImportQtiAction->trigger();
        QCOMPARE(course->platform.texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("Файл «вопросы.zip» не принят, ни один вопрос не добавлен:\n"
                                            "это не архив ZIP или архив повреждён.")});
        QCOMPARE(storedQuestions(), before + 1);
    }

    void exportThenImportInEachFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("file");
        QTest::newRow("Moodle XML") << "MoodleXml"
                                    << "Пушкин.xml";
        QTest::newRow("GIFT") << "Gift"
                              << "Пушкин.gift";
        QTest::newRow("IMS QTI 2.1") << "Qti"
                                     << "Пушкин.zip";
    }

    void exportThenImportInEachFormat()
    {
        QFETCH(QString, format);
        QFETCH(QString, file);
        startAsTeacher();
        auto action = [&](const QString& kind) {
            return Form8->findChild<QAction*>(kind + format + QStringLiteral("Action"));
        };
        Form8->sEdit1->setText(kPushkin);
        course->platform.fileAnswers << course->path(file);
        action(QStringLiteral("Export"))->trigger();
        QCOMPARE(course->platform.fileDialogs.size(), 1);
        QVERIFY(course->platform.fileDialogs[0].proposed.endsWith(u'/' + file));
        QCOMPARE(course->platform.texts(QStringLiteral("notice")),
                 QStringList{QStringLiteral("Вопросы темы «Пушкин» сохранены в файл «%1».").arg(course->path(file))});

        Form8->sEdit1->setText(QStringLiteral("Пушкин, копия"));
        course->platform.fileAnswers << course->path(file);
        action(QStringLiteral("Import"))->trigger();
        const QString select =
            QStringLiteral("SELECT replace(test, char(13), ''), otv FROM test WHERE rasdel = ? ORDER BY id");
        const QStringList original = rows(select, {kPushkin});
        QVERIFY(original.size() >= 5);
        QCOMPARE(rows(select, {QStringLiteral("Пушкин, копия")}), original);
    }

    void exportRefusals()
    {
        startAsTeacher();
        // An empty edit asks; a topic without questions is said so, no file asked for.
        course->platform.textAnswers << QStringLiteral("Достоевский");
        Form8->ExportAction->trigger();
        QCOMPARE(course->platform.texts(QStringLiteral("notice")),
                 QStringList{QStringLiteral("В теме «Достоевский» нет вопросов.")});
        QCOMPARE(course->platform.fileDialogs.size(), 0);

        // A question that the format cannot hold: named by its number, no file.
        {
            SideConnection db(course->path(QStringLiteral("test.mdb")));
            QVERIFY(db.exec(QStringLiteral("INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES "
                                           "(1, 999, 'Без вариантов', 'Проза', 'A')")));
        }
        Form6->tblTest->close();
        Form6->tblTest->open();
        Form8->sEdit1->setText(QStringLiteral("Проза"));
        Form8->ExportAction->trigger();
        QCOMPARE(course->platform.texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("Тему «Проза» нельзя записать в формате Aiken, файл не записан:\n"
                                            "вопрос 999: у вопроса нет вариантов ответа «A) …» или «A. …».")});
        QCOMPARE(course->platform.fileDialogs.size(), 0);
    }
};

QTEST_MAIN(TestEditorBank)
#include "tst_editorbank.moc"
