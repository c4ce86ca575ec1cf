// The title window: start-up, the background picture, the password edit,
// the login and its role, the user guide and the way out.

#include "support/CourseFixture.h"

#include "app/Forms.h"
#include "forms/Globals.h"
#include "app/Startup.h"
#include "app/TitlePicture.h"
#include "app/Unit3.h"
#include "forms/Unit1.h"
#include "forms/Unit5.h"
#include "platform/Error.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>

namespace {

const QString kTeacherNotice = QStringLiteral("Вы вошли в программу как преподаватель!");
const QString kStudentNotice = QStringLiteral("Вы вошли в программу как обычный пользователь!");

// Start-up as the program does it, up to the message loop.
bool startTitle(CourseFixture& course)
{
    course.start();
    Form3->show();
    return QTest::qWaitForWindowExposed(Form3);
}

QStringList visibleWindows()
{
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            names.append(w->objectName());
    return names;
}

QByteArray jpegOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return bytes;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 12 && qAbs(qGreen(a) - qGreen(b)) < 12 && qAbs(qBlue(a) - qBlue(b)) < 12;
}

} // namespace

class TestTitle : public QObject {
    Q_OBJECT

private slots:
    void startupShowsOnlyTheTitleWindow();
    void windowCreationErrorEndsStartup();
    void titleWindowFrameAndLayers();
    void pictureFillsAreaKeepingProportions();
    void decoderKeepsColours();
    void damagedPictureIsAnError_data();
    void damagedPictureIsAnError();
    void passwordEditFollowsCheckBox();
    void login_data();
    void login();
    void enterAndEscapeInPasswordEditDoNothing();
    void exitEndsProgram_data();
    void exitEndsProgram();
    void userGuideComesFromProgramFolder();
};

void TestTitle::startupShowsOnlyTheTitleWindow()
{
    CourseFixture course;
    QCOMPARE(startProgram(), 0);
    QCOMPARE(visibleWindows(), QStringList{QStringLiteral("TForm3")});
    QCOMPARE(Form3->windowTitle(), QStringLiteral("Норвена"));
    QVERIFY(UserRole.isEmpty());
    QCOMPARE(course.platform.texts(QStringLiteral("error")), QStringList());
    destroyForms();
}

void TestTitle::windowCreationErrorEndsStartup()
{
    // The document viewer's HTML view cannot be made: no handler is running,
    // so the program names the error and ends with exit code 1.
    CourseFixture course;
    course.platform.failHtmlViews = true;
    QCOMPARE(startProgram(), 1);
    QCOMPARE(course.platform.boxes.size(), 1);
    QCOMPARE(course.platform.boxes[0].kind, QStringLiteral("error"));
    QCOMPARE(course.platform.boxes[0].caption, QStringLiteral("Application Error"));
    QCOMPARE(course.platform.boxes[0].text, QStringLiteral("The HTML view could not be created."));
    QCOMPARE(visibleWindows(), QStringList());
    QVERIFY(!Form3 && !Form1 && !Form2);
}

void TestTitle::titleWindowFrameAndLayers()
{
    CourseFixture course;
    QVERIFY(startTitle(course));
    QCOMPARE(Form3->size(), QSize(804, 642));
    QCOMPARE(Form3->minimumSize(), Form3->maximumSize()); // not resizable
    const Qt::WindowFlags flags = Form3->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

    // The login strip holds the bottom 41 pixels; the picture the rest.
    QCOMPARE(Form3->Panel1->geometry(), QRect(0, 601, 804, 41));
    QCOMPARE(Form3->Image1->geometry(), QRect(0, 0, 804, 601));
    QCOMPARE(Form3->Button1->mapTo(Form3, QPoint(0, 0)), QPoint(639, 611));

    // Every label lies over the picture and lets it show through.
    for (QLabel* label : {Form3->Label1, Form3->Label2, Form3->Label3, Form3->Label4, Form3->Label5, Form3->Label6}) {
        QVERIFY(!label->text().isEmpty());
        QVERIFY(!label->autoFillBackground());
        QCOMPARE(Form3->childAt(label->geometry().topLeft()), label);
        QVERIFY(Form3->children().indexOf(label) > Form3->children().indexOf(Form3->Image1));
    }
    // The author line wraps onto a second line within its 48 pixels.
    QVERIFY(Form3->Label6->wordWrap());
    QVERIFY(Form3->Label6->heightForWidth(414) > Form3->Label6->fontMetrics().height());
    QVERIFY(Form3->Label6->heightForWidth(414) <= 48);

    // No default and no cancel button.
    for (QPushButton* button : {Form3->Button1, Form3->Button2, Form3->Button3})
        QVERIFY(!button->isDefault() && !button->autoDefault());
}

void TestTitle::pictureFillsAreaKeepingProportions()
{
    CourseFixture course;
    QVERIFY(startTitle(course));
    QCOMPARE(Form3->Image1->image().size(), QSize(1000, 750));
    QCOMPARE(Form3->Image1->pictureRect(), QRect(0, 0, 801, 601));

    // The three columns right of the picture show the window's background.
    const QImage shot = Form3->grab().toImage();
    const QRgb background = Form3->palette().color(QPalette::Window).rgb();
    QCOMPARE(shot.pixel(802, 300), background);
    QCOMPARE(shot.pixel(803, 10), background);
}

void TestTitle::decoderKeepsColours()
{
    // Four coloured quarters and a grey picture come back in their colours.
    QImage source(64, 48, QImage::Format_RGB32);
    QPainter painter(&source);
    painter.fillRect(0, 0, 32, 24, QColor(220, 30, 30));
    painter.fillRect(32, 0, 32, 24, QColor(30, 200, 40));
    painter.fillRect(0, 24, 32, 24, QColor(30, 40, 210));
    painter.fillRect(32, 24, 32, 24, QColor(250, 240, 20));
    painter.end();
    const QImage decoded = TitlePicture::decodeJpeg(jpegOf(source));
    QCOMPARE(decoded.size(), source.size());
    for (const QPoint p : {QPoint(8, 8), QPoint(50, 8), QPoint(8, 40), QPoint(50, 40)})
        QVERIFY2(near(decoded.pixel(p), source.pixel(p)), qPrintable(QString::number(decoded.pixel(p), 16)));

    QImage grey(40, 30, QImage::Format_Grayscale8);
    grey.fill(QColor(90, 90, 90));
    const QImage greyDecoded = TitlePicture::decodeJpeg(jpegOf(grey));
    QVERIFY(near(greyDecoded.pixel(20, 15), qRgb(90, 90, 90)));
}

void TestTitle::damagedPictureIsAnError_data()
{
    QFile file(QString::fromLatin1(TitlePicture::kResource));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    QByteArray scrambled = good;
    for (qsizetype i = good.size() / 3; i < good.size() / 3 + 400; ++i)
        scrambled[i] = char(0xFF);

    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a JPEG") << QByteArray("<html>not a picture</html>");
    QTest::newRow("header only") << good.left(300);
    QTest::newRow("cut in half") << good.left(good.size() / 2);
    QTest::newRow("scrambled data") << scrambled;
}

void TestTitle::damagedPictureIsAnError()
{
    QFETCH(QByteArray, data);
    try {
        TitlePicture::decodeJpeg(data);
        QFAIL("a damaged picture was decoded");
    } catch (const Error& e) {
        QVERIFY2(e.message().startsWith(QStringLiteral("JPEG image cannot be decoded: ")), qPrintable(e.message()));
        QVERIFY(e.message().size() > 32); // libjpeg's reason follows
    }
}

void TestTitle::passwordEditFollowsCheckBox()
{
    CourseFixture course;
    QVERIFY(startTitle(course));
    // The first tick hides the edit; ticking the box shows it.
    QTRY_VERIFY(!Form3->Edit1->isVisible());
    click(Form3->CheckBox1);
    QTRY_VERIFY(Form3->Edit1->isVisible());

    // Every character is shown as "*".
    QTest::keyClicks(Form3->Edit1, QStringLiteral("quartz"));
    QCOMPARE(Form3->Edit1->displayText(), QStringLiteral("******"));

    // Hiding keeps the text.
    click(Form3->CheckBox1);
    QTRY_VERIFY(!Form3->Edit1->isVisible());
    QCOMPARE(Form3->Edit1->text(), QStringLiteral("quartz"));

    // The timer goes on while the title window is hidden.
    Form3->hide();
    Form3->CheckBox1->setChecked(true);
    QTRY_VERIFY(!Form3->Edit1->isHidden());
    Form3->CheckBox1->setChecked(false);
    QTRY_VERIFY(Form3->Edit1->isHidden());
}

void TestTitle::login_data()
{
    QTest::addColumn<bool>("tick");     // tick the box and type the text
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("untick");   // untick it again before "Вход"
    QTest::addColumn<bool>("teacher");

    QTest::newRow("password") << true << "quartz" << false << true;
    QTest::newRow("password, box unticked again") << true << "quartz" << true << true;
    QTest::newRow("other letter case") << true << "Quartz" << false << false;
    QTest::newRow("leading blank") << true << " quartz" << false << false;
    QTest::newRow("trailing blank") << true << "quartz " << false << false;
    QTest::newRow("longer") << true << "quartzquartz" << false << false;
    QTest::newRow("empty, box ticked") << true << "" << false << false;
    QTest::newRow("empty, box not ticked") << false << "" << false << false;
}

void TestTitle::login()
{
    QFETCH(bool, tick);
    QFETCH(QString, text);
    QFETCH(bool, untick);
    QFETCH(bool, teacher);

    CourseFixture course;
    QVERIFY(startTitle(course));
    Form1->Edit3->setText(QStringLiteral("left over"));
    QTRY_VERIFY(!Form3->Edit1->isVisible());
    if (tick) {
        click(Form3->CheckBox1);
        QTRY_VERIFY(Form3->Edit1->isVisible());
        QTest::keyClicks(Form3->Edit1, text);
    }
    if (untick) {
        click(Form3->CheckBox1);
        QTRY_VERIFY(!Form3->Edit1->isVisible());
    }
    click(Form3->Button1);

    QCOMPARE(UserRole, teacher ? QStringLiteral("prepod") : QStringLiteral("student"));
    QCOMPARE(course.platform.texts(QStringLiteral("notice")), QStringList{teacher ? kTeacherNotice : kStudentNotice});
    QCOMPARE(course.platform.boxes.size(), 1);
    QVERIFY(Form1->isVisible());
    QVERIFY(!Form3->isVisible());
    QCOMPARE(visibleWindows(), QStringList{QStringLiteral("TForm1")});
    QCOMPARE(Form1->Button7->isVisible(), teacher);
    QCOMPARE(Form1->Button8->isVisible(), teacher);
    QCOMPARE(Form1->Edit3->isVisible(), teacher);
    QCOMPARE(Form1->Edit3->text(), teacher ? QString() : QStringLiteral("left over"));
    QVERIFY(course.platform.quitCodes.isEmpty());
}

void TestTitle::enterAndEscapeInPasswordEditDoNothing()
{
    CourseFixture course;
    QVERIFY(startTitle(course));
    click(Form3->CheckBox1);
    QTRY_VERIFY(Form3->Edit1->isVisible());
    QTest::keyClicks(Form3->Edit1, QStringLiteral("quartz"));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(Form3->Edit1, key);
    QTest::qWait(100);
    QVERIFY(UserRole.isEmpty());
    QVERIFY(course.platform.boxes.isEmpty());
    QVERIFY(course.platform.quitCodes.isEmpty());
    QVERIFY(Form3->isVisible());
    QVERIFY(!Form1->isVisible());
    QCOMPARE(Form3->Edit1->text(), QStringLiteral("quartz"));
}

void TestTitle::exitEndsProgram_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Выход") << false;
    QTest::newRow("close box") << true;
}

void TestTitle::exitEndsProgram()
{
    QFETCH(bool, closeBox);
    CourseFixture course;
    QVERIFY(startTitle(course));
    if (closeBox)
        Form3->close();
    else
        click(Form3->Button3);
    QCOMPARE(course.platform.quitCodes, QList<int>{0});
    QVERIFY(course.platform.boxes.isEmpty()); // no question asked
    QVERIFY(UserRole.isEmpty());
}

void TestTitle::userGuideComesFromProgramFolder()
{
    CourseFixture course; // the working directory is the course copy, not the program's folder
    QVERIFY(startTitle(course));
    const QString guide = QCoreApplication::applicationDirPath() + QStringLiteral("/руководство пользователя.htm");
    QVERIFY2(QFileInfo::exists(guide), qPrintable(guide));
    QVERIFY(QCoreApplication::applicationDirPath() != QDir::currentPath());
    auto* view = qobject_cast<TestHtmlView*>(Form5->WebBrowser1);
    QVERIFY(view);

    click(Form3->Button2);
    QVERIFY(Form5->isVisible());
    QVERIFY(Form3->isVisible()); // the title window stays
    QCOMPARE(view->navigations, QStringList{guide});

    // Closed and opened again: shown again, the guide loaded again.
    Form5->close();
    QVERIFY(!Form5->isVisible());
    QVERIFY(course.platform.quitCodes.isEmpty());
    click(Form3->Button2);
    QVERIFY(Form5->isVisible());
    QCOMPARE(view->navigations, (QStringList{guide, guide}));

    // It stays open after the login.
    click(Form3->Button1);
    QVERIFY(Form5->isVisible());
    QVERIFY(!Form3->isVisible());
}

QTEST_MAIN(TestTitle)
#include "tst_title.moc"
