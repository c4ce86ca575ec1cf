#pragma once

#include "forms/Form.h"

// Results register: the stored results of all test runs.
class TForm9 : public Form {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);
};
