#pragma once

#include "forms/Form.h"

// Title window: the application's main form. Shows the course's title page,
// opens the user guide and performs the login that fixes the role.
class TForm3 : public Form {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
};
