#pragma once

#include "forms/Form.h"

// Result window: the grade of a finished test run.
class TForm7 : public Form {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
};
