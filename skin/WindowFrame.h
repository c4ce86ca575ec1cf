#pragma once

#include <QImage>
#include <QMargins>
#include <QPointer>
#include <QRasterWindow>

class QWidget;

namespace skin {

class Engine;

// The frame and title bar that the skin draws for a skinned window, in
// place of the window system's. The window itself (the client) has no
// frame of the window system; this frame is a window of its own lying
// around and below it, following it wherever it moves, and it makes the
// client movable, resizable (where its border allows it), minimisable and
// closable through the title bar, its buttons and its edges.
//
// The title buttons are the ones the client's border settings (its window
// flags before the skin took over the frame) ask for: none for a window
// that customises its title bar without buttons, close, maximise and
// minimise for a plain sizeable window.
class WindowFrame : public QRasterWindow {
    Q_OBJECT
public:
    enum Button { Close, Maximize, Minimize, Help };

    // Border width 4 around the client, title bar 26 high above it: the
    // frame of the windows' stated outer sizes.
    static constexpr QMargins kMargins{4, 30, 4, 4};
    static constexpr int kBorder = 4;
    static constexpr int kTitleHeight = 26;
    static constexpr int kButtonSize = 20;

    WindowFrame(QWidget* client, Qt::WindowFlags borderFlags, Engine* engine);
    ~WindowFrame() override;

    QWidget* client() const { return m_client; }
    const QList<Button>& buttons() const { return m_buttons; }
    bool isSizeable() const;
    // Within the frame window.
    QRect titleRect() const;
    QRect buttonRect(Button button) const;

    // The frame's picture at the frame's size, its title bar active (hot
    // values) or not.
    QImage render(bool active) const;

    // The client was shown (the first time: the frame takes the client's
    // place and the client moves into the frame), hidden, moved or
    // resized, or changed its state.
    void clientShown();
    void clientHidden();
    void follow();

    // What a title button does.
    void press(Button button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    int buttonAt(QPoint pos) const; // -1: none
    Qt::Edges edgesAt(QPoint pos) const;
    void moveOrResizeBy(QPoint delta);
    void toggleMaximized();
    void activateClient();

    // The texture, frame and title bar without caption and buttons, for a
    // size and an active or inactive title bar: drawn once.
    QImage base(bool active) const;
    mutable QImage m_base[2];

    QPointer<QWidget> m_client;
    Engine* m_engine;
    QList<Button> m_buttons;
    bool m_placed = false;
    bool m_maximized = false;
    QRect m_normalGeometry; // the client's, before maximising

    int m_hotButton = -1;
    int m_pressedButton = -1;
    // A move or resize of the client by the frame, while the button is held.
    Qt::Edges m_dragEdges;
    bool m_dragging = false;
    QPoint m_dragStart;
    QRect m_dragClient;
};

} // namespace skin
