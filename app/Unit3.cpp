#include "app/Unit3.h"
#include "data/Connection.h"
#include "forms/Unit6.h"

#include "app/Forms.h"
#include "forms/Globals.h"
#include "app/TitlePicture.h"
#include "forms/Unit1.h"
#include "forms/Unit5.h"
#include "platform/ErrorReport.h"
#include "platform/Platform.h"
#include "platform/ProgramFiles.h"
#include "skin/Look.h"

#include <algorithm>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>

namespace {

const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

// The password edit shows every character as "*", at once (the styles' own
// mask characters and delays differ from one platform to the next).
class StarMaskStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return u'*';
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QLabel* makeLabel(QWidget* parent, const QString& text, int left, int top, int width, int height, int pixelHeight,
                  int style, const QColor& color)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(left, top, width, height);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // No background of its own: the picture below shows through.
    label->setAutoFillBackground(false);
    Look::setFont(label, pixelHeight, style, color);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& text, int left, int top, int width, int height,
                        const QColor& color)
{
    auto* button = new QPushButton(text, parent);
    button->setGeometry(left, top, width, height);
    button->setAutoDefault(false);
    Look::setFont(button, 16, Look::Regular, color);
    return button;
}

} // namespace

const QString& TForm3::userGuideName()
{
    static const QString name = QStringLiteral("руководство пользователя.htm");
    return name;
}

TForm3::TForm3(QWidget* parent)
    : Form(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Норвена"));
    setClientGeometry(172, 27, 804, 642);
    setFixedSize(804, 642);

    // The picture fills the client area above the login strip; the labels
    // come after it and lie over it.
    Image1 = new PictureBox(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 804, 601);
    Image1->setImage(TitlePicture::load(QString::fromLatin1(TitlePicture::kResource)));

    const int headline = Look::Bold | Look::Italic;
    Label1 = makeLabel(this, QStringLiteral("Министерство науки и высшего образования РК"), 16, 16, 508, 20, 17,
                       headline, kYellow);
    Label2 = makeLabel(this, QStringLiteral("Северо-Казахстанский гуманитарный университет им. Абая"), 16, 40, 568, 20,
                       17, headline, kYellow);
    Label3 = makeLabel(this, QStringLiteral("Кафедра русской филологии"), 16, 63, 330, 20, 17, headline, kYellow);
    Label4 = makeLabel(this, QStringLiteral("Электронный учебник «История русской литературы XIX века»"), 16, 96, 697,
                       24, 19, Look::Regular, kRed);
    Label5 = makeLabel(this, QStringLiteral("Специальность «Русский язык и литература»"), 302, 504, 490, 24, 19,
                       Look::Bold, kYellow);
    Label6 = makeLabel(this, QStringLiteral("Автор курса: кандидат филологических наук, доцент О. В. Лесная"), 384, 536,
                       414, 48, 19, Look::Bold, kYellow);
    Label6->setWordWrap(true);
    const auto labels = {Label1, Label2, Label3, Label4, Label5, Label6};
    int number = 1;
    for (QLabel* label : labels)
        label->setObjectName(QStringLiteral("Label%1").arg(number++));

    // The login strip along the bottom edge.
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(0, 601, 804, 41);

    CheckBox1 = new QCheckBox(QStringLiteral("преподаватель"), Panel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(7, 10, 154, 25);
    Look::setFont(CheckBox1, 16, Look::Regular, kWhite);

    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(167, 10, 162, 28);
    Look::setFont(Edit1, 16, Look::Regular, kBlack);
    auto* maskStyle = new StarMaskStyle(QStyleFactory::create(QApplication::style()->name()));
    maskStyle->setParent(Edit1);
    Edit1->setStyle(maskStyle);
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setAccessibleName(QStringLiteral("Пароль преподавателя"));

    Button1 = makeButton(Panel1, QStringLiteral("Вход"), 639, 10, 75, 25, kWhite);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = makeButton(Panel1, QStringLiteral("Руководство пользователя"), 400, 10, 233, 25, QColor());
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = makeButton(Panel1, QStringLiteral("Выход"), 719, 10, 75, 25, kWhite);
    Button3->setObjectName(QStringLiteral("Button3"));

    setTabOrder(CheckBox1, Edit1);
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);

    on(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    on(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    on(Button3, &QPushButton::clicked, this, &TForm3::Button3Click);

    // Runs for the whole run, also while the window is hidden.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    on(Timer1, &QTimer::timeout, this, &TForm3::Timer1Timer);
    Timer1->start();
}

void TForm3::Timer1Timer()
{
    // Hiding the edit keeps its text.
    Edit1->setVisible(CheckBox1->isChecked());
}

namespace {
// The pause before a teacher's login is tried again after the server did not
// let it in; it doubles with every further refusal.
constexpr int kRetryPauseMs = 1000;
} // namespace

void TForm3::Button1Click()
{
    // The course's file: the whole text decides, exactly as typed; the check
    // box is not consulted. A course server: with "преподаватель" ticked, the
    // server decides, the text being the teacher role's password; when the
    // server did not let the teacher in at all (not reached, no room), this
    // window stays for another try.
    bool teacher = false;
    if (Form6->ADOConnection1->server() && CheckBox1->isChecked()) {
        const qint64 pauseMs = qint64(kRetryPauseMs) << std::clamp(m_refusals - 1, 0, 5);
        if (m_refusals > 0 && m_lastRefusal.isValid() && m_lastRefusal.elapsed() < pauseMs) {
            Platform::messages().notice(
                this, QStringLiteral("Подождите %1 с перед новой попыткой входа.")
                          .arg((pauseMs - m_lastRefusal.elapsed() + 999) / 1000));
            return;
        }
        const TForm6::TeacherLogin login = Form6->logInAsTeacher(Edit1->text());
        if (login == TForm6::TeacherLogin::NotReached) {
            ++m_refusals;
            m_lastRefusal.start();
            return;
        }
        m_refusals = 0;
        teacher = login == TForm6::TeacherLogin::Teacher;
    } else if (!Form6->ADOConnection1->server()) {
        teacher = Edit1->text() == QLatin1String(kTeacherPassword);
    }
    Form1->showAndRaise();
    hide();
    if (teacher) {
        Form1->Button8->setVisible(true);
        Form1->Button7->setVisible(true);
        Form1->Edit3->setVisible(true);
        Form1->Edit3->clear();
        Platform::messages().notice(Form1, QStringLiteral("Вы вошли в программу как преподаватель!"));
        UserRole = QStringLiteral("prepod");
    } else {
        UserRole = QStringLiteral("student");
        Platform::messages().notice(Form1, QStringLiteral("Вы вошли в программу как обычный пользователь!"));
    }
}

void TForm3::Button2Click()
{
    // Beside the program file (in the data folder of an installed program),
    // whatever the working directory.
    Form5->OpenUserGuide(ProgramFiles::dataFile(userGuideName()));
}

void TForm3::Button3Click() { close(); }

void TForm3::closeEvent(QCloseEvent* event)
{
    // Closing the main form ends the message loop and so the program.
    event->accept();
    Platform::process().quit(0);
}
