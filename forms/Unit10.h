#pragma once

#include "forms/Form.h"

// Multimedia window: the catalogue of named media files.
class TForm10 : public Form {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);
};
