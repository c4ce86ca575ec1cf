#pragma once

#include "platform/ListBox.h"

#include <QString>

// A list of the plain files of one folder that match a mask (letter case
// ignored), names only, in alphabetical order without regard to case: the
// Russian alphabet's order, "ё" with "е", through the platform's collation.
// The list keeps a folder of its own, at first the working directory at the
// moment it is created. Setting another folder moves the process working
// directory there; reading the list makes its folder the working directory.
class FileListBox : public ListBox {
    Q_OBJECT
public:
    explicit FileListBox(const QString& mask, QWidget* parent = nullptr);

    QString mask() const { return m_mask; }
    QString directory() const { return m_directory; }

    // A path that differs from the present folder (compared as text, without
    // regard to case) is entered: the working directory moves there, the
    // folder is stored as the platform reports it back and the list is read
    // again. A folder that cannot be entered throws InOutError and leaves the
    // list, its folder and the working directory as they were. The present
    // folder itself changes nothing at all.
    void setDirectory(const QString& path);

    // Reads the folder's names again (after entering the folder).
    void readFileNames();

    // The selected file name; empty when none is selected.
    QString selectedFileName() const;

private:
    QString m_mask;
    QString m_directory;
};
