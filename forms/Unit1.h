#pragma once

#include "forms/Form.h"
#include "platform/ListBox.h"

#include <functional>

class FileListBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Main window: the authors of the course with their presentations and
// documents, the two panels of teaching materials and the command strip.
class TForm1 : public Form {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    // Creation handler: places the window, empties the file lists, takes
    // HomeDir and loads the author register.
    void FormCreate();

    // "Выбрать": lists the selected author's presentations and documents.
    void Button1Click();
    // "Запустить" of the presentations: opens the selected one through the shell.
    void Button2Click();
    // "Запустить" of the documents: opens the selected one in the document viewer.
    void Button6Click();
    // "Добавить", "Удалить": the teacher's add and remove of an author.
    void Button7Click();
    void Button8Click();
    // Command strip: "УМКД 1ч", "УМКД 2ч", "Видео", "Тесты", "Выход ".
    void Button3Click();
    void Button30Click();
    void Button5Click();
    void Button44Click();
    void Button9Click();

    // The teaching-materials panels' buttons (Button10 … Button61) by name.
    QPushButton* materialButton(const QString& name) const;
    // A material button's handler by its name (Button10Click, Button43Click, …).
    std::function<void()> materialHandler(const QString& handlerName) const;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    ListBox* ListBox1 = nullptr;
    FileListBox* FileListBox1 = nullptr;
    FileListBox* FileListBox2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QFrame* sPanel1 = nullptr;
    QFrame* sPanel2 = nullptr;
    QFrame* sPanel3 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button30 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button44 = nullptr;
    QPushButton* Button9 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildAuthorControls();
    void buildCommandStrip();
    void buildMaterialPanels();
    void ListBox1SelectionChanged();
    void ListBox1Clicked();
    void writeRegister();

    bool m_selectionChangedByPress = false;
};
