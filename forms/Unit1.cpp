#include "forms/Unit1.h"

#include "forms/Forms.h"
#include "forms/Globals.h"
#include "forms/AuthorRegister.h"
#include "forms/MaterialPanels.h"
#include "forms/Unit10.h"
#include "forms/Unit2.h"
#include "forms/Unit6.h"
#include "forms/Unit8.h"
#include "platform/ErrorReport.h"
#include "platform/FileListBox.h"
#include "platform/FileSystem.h"
#include "platform/ListBox.h"
#include "platform/Platform.h"
#include "skin/Engine.h"
#include "skin/Look.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <vector>

namespace {

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kNavy(0, 0, 128);

template <class W> W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top, int width, int height,
              const QColor& color)
{
    auto* l = place(new QLabel(text, parent), name, left, top, width, height);
    Look::setFont(l, 19, Look::Bold, color);
    // A label of the window system paints the colour it inherits from the
    // window (here the button-face colour), not the skin's texture.
    l->setAutoFillBackground(true);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, int left, int top, int width)
{
    return place(new QPushButton(text, parent), name, left, top, width, 25);
}

// Chains the keyboard focus through the widgets in the order given.
void chainTabOrder(const std::vector<QWidget*>& order)
{
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

QFrame* panel(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* p = place(new QFrame(parent), name, left, top, width, height);
    p->setFrameStyle(QFrame::Panel | QFrame::Raised);
    p->setLineWidth(1);
    p->setProperty("skinSection", "PANEL");
    return p;
}

// A list box item height of 20 pixels.
void setItemHeight(QListWidget* list)
{
    list->setStyleSheet(QStringLiteral("QListView::item { height: 20px; }"));
}

QString registerPath() { return HomeDir + QStringLiteral("/1.txt"); }

} // namespace

TForm1::TForm1(QWidget* parent)
    : Form(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Норвена"));
    setFixedSize(815, 575);
    buildAuthorControls();
    buildCommandStrip();
    buildMaterialPanels();
    chainTabOrder({Button1, ListBox1, Edit1, FileListBox1, Button2, Edit2, FileListBox2, Button6, Button7, Button8,
                 Edit3, sPanel1, sPanel2, sPanel3});
    // The skin provider, created before the skin manager loads the internal
    // skin "Desert (internal)" at the end of the window's creation.
    setProperty("skinSection", "FORM");
    skin::Engine::loadInternalSkin(this);
}

void TForm1::buildAuthorControls()
{
    Label1 = label(this, "Label1", QStringLiteral("Выберите автора"), 8, 32, 174, 24, kBlue);
    Label2 = label(this, "Label2", QStringLiteral("Выберите презентацию"), 224, 32, 237, 24, kRed);
    Label3 = label(this, "Label3", QStringLiteral("Выберите документ"), 224, 224, 199, 24, kRed);

    ListBox1 = place(new ListBox(this), "ListBox1", 8, 64, 201, 281);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Look::setFont(ListBox1, 16, Look::Bold, kNavy);
    setItemHeight(ListBox1);

    FileListBox1 = place(new FileListBox(QStringLiteral("*.pps"), this), "FileListBox1", 224, 64, 577, 153);
    FileListBox2 = place(new FileListBox(QStringLiteral("*.htm"), this), "FileListBox2", 224, 256, 577, 89);
    for (FileListBox* list : {FileListBox1, FileListBox2}) {
        Look::setFont(list, 16, Look::Bold, kRed);
        setItemHeight(list);
    }

    Button2 = button(this, "Button2", QStringLiteral("Запустить"), 700, 32, 100);
    Button6 = button(this, "Button6", QStringLiteral("Запустить"), 700, 224, 100);
    Button7 = button(this, "Button7", QStringLiteral("Добавить"), 8, 352, 97);
    Button8 = button(this, "Button8", QStringLiteral("Удалить"), 120, 352, 91);
    for (QPushButton* b : {Button2, Button6, Button7, Button8})
        b->setFont(Look::font(16));
    Edit3 = place(new QLineEdit(this), "Edit3", 8, 384, 201, 28);
    Edit3->setFont(Look::font(16));
    Button7->hide();
    Button8->hide();
    Edit3->hide();

    // What a screen reader says of the lists and edits: the captions above them.
    ListBox1->setAccessibleName(Label1->text());
    FileListBox1->setAccessibleName(Label2->text());
    FileListBox2->setAccessibleName(Label3->text());
    Button2->setAccessibleDescription(QStringLiteral("Запустить выбранную презентацию"));
    Button6->setAccessibleDescription(QStringLiteral("Открыть выбранный документ"));
    Edit3->setAccessibleName(QStringLiteral("Автор"));
    Edit3->setAccessibleDescription(QStringLiteral("Фамилия и инициалы автора, которого добавит кнопка «Добавить»"));

    // Hidden for the whole run: the chosen author, the last file opened and
    // the button that the author list presses.
    Button1 = button(this, "Button1", QStringLiteral("Выбрать"), 176, 8, 75);
    Edit1 = place(new QLineEdit(this), "Edit1", 56, 8, 121, 21);
    Edit2 = place(new QLineEdit(this), "Edit2", 248, 8, 121, 21);
    Button1->hide();
    Edit1->hide();
    Edit2->hide();
    Edit1->setAccessibleName(QStringLiteral("Выбранный автор"));
    Edit2->setAccessibleName(QStringLiteral("Выбранный файл"));

    on(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    on(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    on(Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    on(Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
    on(Button8, &QPushButton::clicked, this, &TForm1::Button8Click);

    // Every selection event of the author list presses "Выбрать": a change of
    // the selection by mouse or keyboard, and a click on the selected author.
    on(ListBox1, &QListWidget::itemSelectionChanged, this, &TForm1::ListBox1SelectionChanged);
    on(ListBox1, &QListWidget::itemClicked, this, &TForm1::ListBox1Clicked);
    ListBox1->viewport()->installEventFilter(this);
}

void TForm1::buildCommandStrip()
{
    sPanel1 = panel(this, "sPanel1", 224, 360, 577, 57);
    sPanel1->setFont(Look::font(16));
    Button3 = button(sPanel1, "Button3", QStringLiteral("УМКД 1ч"), 8, 15, 100);
    Button30 = button(sPanel1, "Button30", QStringLiteral("УМКД 2ч"), 120, 15, 100);
    Button5 = button(sPanel1, "Button5", QStringLiteral("Видео"), 232, 15, 100);
    Button44 = button(sPanel1, "Button44", QStringLiteral("Тесты"), 346, 15, 100);
    Button9 = button(sPanel1, "Button9", QStringLiteral("Выход "), 461, 15, 100);
    chainTabOrder({Button3, Button30, Button5, Button44, Button9});

    on(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    on(Button30, &QPushButton::clicked, this, &TForm1::Button30Click);
    on(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    on(Button44, &QPushButton::clicked, this, &TForm1::Button44Click);
    on(Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
}

void TForm1::buildMaterialPanels()
{
    sPanel2 = panel(this, "sPanel2", 8, 424, 577, 121);
    sPanel3 = panel(this, "sPanel3", 8, 424, 577, 145);
    std::vector<std::pair<int, QWidget*>> tabOrder[2];
    for (const MaterialButton& row : kMaterialButtons) {
        QFrame* parent = row.panel == 2 ? sPanel2 : sPanel3;
        QPushButton* b = button(parent, row.name, QString::fromUtf16(row.caption), row.left, row.top, row.width);
        tabOrder[row.panel - 2].emplace_back(row.tabOrder, b);
        if (row.handler)
            connect(b, &QPushButton::clicked, this, [this, handler = materialHandler(QString::fromLatin1(row.handler))] {
                ErrorReport::run(handler);
            });
    }
    for (auto& order : tabOrder) {
        std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<QWidget*> widgets;
        for (const auto& entry : order)
            widgets.push_back(entry.second);
        chainTabOrder(widgets);
    }
    sPanel2->hide();
    sPanel3->hide();
}

QPushButton* TForm1::materialButton(const QString& name) const
{
    return findChild<QPushButton*>(name);
}

std::function<void()> TForm1::materialHandler(const QString& handlerName) const
{
    for (const MaterialButton& row : kMaterialButtons) {
        if (!row.handler || handlerName != QLatin1String(row.handler))
            continue;
        const QString file = QString::fromUtf16(row.file);
        const QString caption = QString::fromUtf16(row.viewerCaption);
        // The material is found through HomeDir, whatever the working directory.
        return [file, caption] { Form2->OpenDocument(HomeDir + QStringLiteral("/умкд/") + file, caption); };
    }
    return {};
}

void TForm1::FormCreate()
{
    move(3, 3);
    FileListBox1->clear();
    FileListBox2->clear();
    HomeDir = FileSystem::currentDirectory();
    ListBox1->addItems(AuthorRegister::read(registerPath()));
}

void TForm1::Button1Click()
{
    const QListWidgetItem* item = ListBox1->currentItem();
    if (!item || !item->isSelected())
        return;
    FileListBox1->setDirectory(HomeDir);
    Edit1->setText(item->text());
    FileListBox1->setDirectory(FileSystem::currentDirectory() + u'/' + Edit1->text());
    FileListBox2->setDirectory(HomeDir);
    FileListBox2->setDirectory(HomeDir + u'/' + Edit1->text());
}

void TForm1::ListBox1SelectionChanged()
{
    m_selectionChangedByPress = true;
    Button1->click();
}

void TForm1::ListBox1Clicked()
{
    // A click on the author already selected changes no selection; it chooses
    // the author again all the same.
    if (!m_selectionChangedByPress)
        Button1->click();
    m_selectionChangedByPress = false;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListBox1->viewport() && event->type() == QEvent::MouseButtonPress)
        m_selectionChangedByPress = false;
    return Form::eventFilter(watched, event);
}

void TForm1::Button2Click()
{
    const QString name = FileListBox1->selectedFileName();
    if (name.isEmpty())
        return;
    Edit2->setText(name);
    Platform::shell().execute(QStringLiteral("Open"), FileSystem::currentDirectory() + u'/' + name, QString(),
                              QString(), 1);
}

void TForm1::Button6Click()
{
    const QString name = FileListBox2->selectedFileName();
    if (name.isEmpty())
        return;
    Edit2->setText(name);
    Form2->OpenDocument(FileSystem::currentDirectory() + u'/' + name, Edit2->text());
}

void TForm1::writeRegister()
{
    QStringList entries;
    entries.reserve(ListBox1->count());
    for (int i = 0; i < ListBox1->count(); ++i)
        entries.append(ListBox1->item(i)->text());
    AuthorRegister::write(registerPath(), entries);
}

void TForm1::Button7Click()
{
    const QString name = Edit3->text();
    if (!name.isEmpty()) {
        // A name the register cannot hold is refused before it is listed:
        // the list keeps showing what the file holds.
        AuthorRegister::checkEntry(registerPath(), name);
        {
            const QSignalBlocker quiet(ListBox1); // appending chooses no author
            ListBox1->addItem(name);
        }
        writeRegister();
        const QString folder = HomeDir + u'/' + name;
        if (!FileSystem::directoryExists(folder))
            FileSystem::createDirectory(folder);
    }
    if (name.isEmpty())
        Platform::messages().notice(this, QStringLiteral("Вы не ввели ФИО!"));
    Edit3->clear();
}

void TForm1::Button8Click()
{
    if (!Platform::messages().informationYesNo(this, QStringLiteral("Вы действительно хотите удалить запись?")))
        return;
    {
        const QSignalBlocker quiet(ListBox1); // removing chooses no author
        const QListWidgetItem* item = ListBox1->currentItem();
        if (item && item->isSelected())
            delete ListBox1->takeItem(ListBox1->row(item));
        ListBox1->clearSelection();
        ListBox1->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    }
    writeRegister();
    Edit3->clear();
}

void TForm1::Button3Click()
{
    sPanel2->setVisible(true);
    sPanel3->setVisible(false);
}

void TForm1::Button30Click()
{
    sPanel2->setVisible(false);
    sPanel3->setVisible(true);
}

void TForm1::Button5Click()
{
    Form10->OpenMedia();
}

void TForm1::Button44Click()
{
    if (UserRole == QLatin1String("student"))
        Form6->OpenTestWindow();
    else if (UserRole == QLatin1String("prepod"))
        Form8->OpenEditor();
}

void TForm1::Button9Click()
{
    // Ends the program at once; nothing needs saving.
    Platform::process().quit(0);
}
