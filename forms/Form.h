#pragma once

#include <QWidget>

// A window of the program: created once at start-up, hidden, and only shown,
// hidden and brought to the front until the process ends. Closing it with
// its close box hides it.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);

    // Screen position and outer size, the frame and title bar included.
    void setOuterGeometry(int left, int top, int width, int height);
    // Screen position of the frame and size of the client area.
    void setClientGeometry(int left, int top, int width, int height);

    // Makes the window visible and brings it to the front.
    void showAndRaise();

    // Frame and title bar of a sizeable window: outer size minus client size.
    static constexpr int kFrameWidth = 8;
    static constexpr int kFrameHeight = 34;
};
