#pragma once

#include "forms/Form.h"

// Test editor: the teacher's window for the question base.
class TForm8 : public Form {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);
};
