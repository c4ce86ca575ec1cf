#pragma once

#include "forms/Form.h"
#include "platform/ListBox.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Multimedia window: the catalogue of named media files kept in table
// "media". It lists the entries' names, opens the chosen entry's file with
// its associated program through the shell, and adds entries. It owns no
// table object: it works on the test window's tblMedia.
class TForm10 : public Form {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);

    // "Видео" of the main window: shows the window, rebuilds the list from
    // tblMedia (opening it when it failed to open at start-up) and clears
    // the edits. An error ends it at the failing step; the lines read
    // before stay in the list and the edits are then not cleared.
    void OpenMedia();

    // "Запустить": opens the file of the selected entry, "media/" + its
    // file, relative to the working directory of the moment.
    void sButton1Click();
    // "Добавить": stores a new entry with the texts of sEdit2 and sEdit3 as
    // typed, then rebuilds the list.
    void sButton2Click();

    // Opens the file through the shell with its default action and returns
    // the shell's result. The texts are passed whole, however long.
    int LaunchFile(const QString& file, const QString& parameters, const QString& directory, int showCommand);

    ListBox* sListBox1 = nullptr;
    QPushButton* sButton1 = nullptr;
    QLineEdit* sEdit1 = nullptr; // never visible: the text of the line being launched
    QLabel* sLabel1 = nullptr;
    QLineEdit* sEdit2 = nullptr;
    QLabel* sLabel2 = nullptr;
    QLineEdit* sEdit3 = nullptr;
    QPushButton* sButton2 = nullptr;

private:
    // Appends the name of every row of tblMedia to the list, from the first.
    void fillList();
};
