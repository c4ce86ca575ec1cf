#include "skin/WindowFrame.h"

#include "skin/Engine.h"
#include "skin/Paint.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

const char* glyphOf(skin::WindowFrame::Button button, bool maximized)
{
    switch (button) {
    case skin::WindowFrame::Close:
        return "BICONCLOSE";
    case skin::WindowFrame::Maximize:
        return maximized ? "BICONNORM" : "BICONMAX";
    case skin::WindowFrame::Minimize:
        return "BICONMIN";
    case skin::WindowFrame::Help:
        return "BICONHELP";
    }
    return "";
}

QFont titleFont(const QWidget* client)
{
    QFont font = client ? client->font() : QFont();
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

// The room at the corners where an edge resizes in both directions.
constexpr int kCornerReach = 12;

} // namespace

skin::WindowFrame::WindowFrame(QWidget* client, Qt::WindowFlags borderFlags, Engine* engine)
    : m_client(client), m_engine(engine)
{
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    const bool customized = borderFlags.testFlag(Qt::CustomizeWindowHint);
    const auto asks = [&](Qt::WindowType hint) { return !customized || borderFlags.testFlag(hint); };
    if (asks(Qt::WindowCloseButtonHint))
        m_buttons.append(Close);
    if (asks(Qt::WindowMaximizeButtonHint) && isSizeable())
        m_buttons.append(Maximize);
    if (asks(Qt::WindowMinimizeButtonHint))
        m_buttons.append(Minimize);
    if (borderFlags.testFlag(Qt::WindowContextHelpButtonHint))
        m_buttons.append(Help);
    if (client)
        setTitle(client->windowTitle());
}

skin::WindowFrame::~WindowFrame() = default;

bool skin::WindowFrame::isSizeable() const
{
    if (!m_client || m_client->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint))
        return false;
    return m_client->minimumSize() != m_client->maximumSize();
}

QRect skin::WindowFrame::titleRect() const { return QRect(kBorder, kBorder, width() - 2 * kBorder, kTitleHeight); }

QRect skin::WindowFrame::buttonRect(Button button) const
{
    const qsizetype index = m_buttons.indexOf(button);
    if (index < 0)
        return {};
    const QRect title = titleRect();
    const int right = title.right() - 2 - int(index) * (kButtonSize + 1);
    return QRect(right - kButtonSize + 1, title.top() + (kTitleHeight - kButtonSize) / 2, kButtonSize, kButtonSize);
}

QImage skin::WindowFrame::base(bool active) const
{
    const QSize size = this->size();
    QImage& cached = m_base[active ? 1 : 0];
    if (cached.size() == size)
        return cached;
    const Skin& s = m_engine->skin();
    const Section* form = s.section(QStringLiteral("FORM"));
    const Section* title = s.section(QStringLiteral("FORMTITLE"));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (!form || !title || size.isEmpty())
        return image;

    // The window's texture, its frame, then the title bar over it.
    const ImageEntry* pattern = s.image(QStringLiteral("FORM"), QStringLiteral("PATTERN"));
    const QImage texture = pattern ? s.pixels().copy(pattern->rect) : QImage();
    image = paint::background(form->normal, size, &texture, nullptr);
    m_engine->drawFrame(image, image.rect(), QStringLiteral("FORM"), 0);

    const QRect bar = titleRect();
    const QImage below = image.copy(bar);
    const StateValues& values = title->values(active);
    const QImage barImage = paint::background(values, bar.size(), nullptr, &below);
    {
        QPainter p(&image);
        p.drawImage(bar.topLeft(), barImage);
    }
    m_engine->drawFrame(image, bar, QStringLiteral("FORMTITLE"), 0);
    cached = image;
    return image;
}

QImage skin::WindowFrame::render(bool active) const
{
    QImage image = base(active);
    const QRect bar = titleRect();
    const Section* title = m_engine->skin().section(QStringLiteral("FORMTITLE"));
    if (!title || image.isNull())
        return image;
    const StateValues& values = title->values(active);
    int textRight = bar.right() - 4;
    for (Button button : m_buttons) {
        const QRect r = buttonRect(button);
        textRight = qMin(textRight, r.left() - 4);
        const int index = int(m_buttons.indexOf(button));
        const int state = m_pressedButton == index && m_hotButton == index ? 2 : m_hotButton == index ? 1 : 0;
        m_engine->drawGlyph(image, r.topLeft(), QStringLiteral("FORM"), QStringLiteral("TITLEBUTTON"), state);
        m_engine->drawGlyph(image, r.topLeft(), QStringLiteral("FORM"),
                            QString::fromLatin1(glyphOf(button, m_maximized)), state);
    }
    if (m_client) {
        QPainter p(&image);
        p.setFont(titleFont(m_client));
        const QRect textRect(bar.left() + 6, bar.top(), textRight - bar.left() - 6, bar.height() - 2);
        const QString text =
            p.fontMetrics().elidedText(m_client->windowTitle(), Qt::ElideRight, qMax(0, textRect.width()));
        paint::drawText(p, textRect, Qt::AlignLeft | Qt::AlignVCenter, text, values.font);
    }
    return image;
}

void skin::WindowFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, render(m_client && m_client->isActiveWindow()));
}

void skin::WindowFrame::clientShown()
{
    if (!m_client)
        return;
    if (!m_placed) {
        // The client's place is the window's outer place: the frame takes
        // it, and the client moves into the frame.
        m_placed = true;
        const QPoint outer = m_client->pos();
        setGeometry(
            QRect(outer, m_client->size())
                .marginsAdded(QMargins(0, 0, kMargins.left() + kMargins.right(), kMargins.top() + kMargins.bottom())));
        m_client->move(outer + QPoint(kMargins.left(), kMargins.top()));
    }
    if (QWindow* handle = m_client->windowHandle())
        handle->setTransientParent(this);
    setTitle(m_client->windowTitle());
    follow();
    if (!m_client->isMinimized())
        show();
}

void skin::WindowFrame::clientHidden() { hide(); }

void skin::WindowFrame::follow()
{
    if (!m_client || !m_placed)
        return;
    const QRect outer = m_client->geometry().marginsAdded(kMargins);
    if (geometry() != outer)
        setGeometry(outer);
    if (m_client->isVisible() && m_client->isMinimized())
        hide();
    else if (m_client->isVisible() && !isVisible())
        show();
    update();
}

void skin::WindowFrame::press(Button button)
{
    if (!m_client)
        return;
    switch (button) {
    case Close:
        m_client->close();
        break;
    case Maximize:
        toggleMaximized();
        break;
    case Minimize:
        m_client->showMinimized();
        break;
    case Help:
        break; // the program has no context help
    }
}

void skin::WindowFrame::toggleMaximized()
{
    if (!m_client || !isSizeable())
        return;
    if (m_maximized) {
        m_maximized = false;
        m_client->setGeometry(m_normalGeometry);
    } else {
        QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        m_normalGeometry = m_client->geometry();
        m_maximized = true;
        m_client->setGeometry(screen->availableGeometry().marginsRemoved(kMargins));
    }
    follow();
}

void skin::WindowFrame::activateClient()
{
    if (!m_client)
        return;
    raise();
    m_client->raise();
    m_client->activateWindow();
}

int skin::WindowFrame::buttonAt(QPoint pos) const
{
    for (int i = 0; i < m_buttons.size(); ++i)
        if (buttonRect(m_buttons[i]).contains(pos))
            return i;
    return -1;
}

Qt::Edges skin::WindowFrame::edgesAt(QPoint pos) const
{
    Qt::Edges edges;
    if (!isSizeable())
        return edges;
    const bool nearLeft = pos.x() < kCornerReach, nearRight = pos.x() >= width() - kCornerReach;
    const bool nearTop = pos.y() < kCornerReach, nearBottom = pos.y() >= height() - kCornerReach;
    const bool onBorder =
        pos.x() < kBorder || pos.x() >= width() - kBorder || pos.y() < kBorder || pos.y() >= height() - kBorder;
    if (!onBorder)
        return edges;
    if (nearLeft)
        edges |= Qt::LeftEdge;
    if (nearRight)
        edges |= Qt::RightEdge;
    if (nearTop)
        edges |= Qt::TopEdge;
    if (nearBottom)
        edges |= Qt::BottomEdge;
    return edges;
}

void skin::WindowFrame::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_client)
        return;
    const QPoint pos = event->position().toPoint();
    activateClient();
    m_pressedButton = buttonAt(pos);
    if (m_pressedButton >= 0) {
        m_hotButton = m_pressedButton;
        update();
        return;
    }
    const Qt::Edges edges = edgesAt(pos);
    if (!edges && !titleRect().contains(pos))
        return;
    if (m_maximized && !edges)
        return; // a maximised window stays in place
    // The frame moves or resizes the client itself, and follows it. (Asked
    // to move the client from a press outside it, a window manager takes the
    // press for the client's corner, and the window jumps.)
    m_dragging = true;
    m_dragEdges = edges;
    m_dragStart = event->globalPosition().toPoint();
    m_dragClient = m_client->geometry();
}

void skin::WindowFrame::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_dragging) {
        moveOrResizeBy(event->globalPosition().toPoint() - m_dragStart);
        return;
    }
    const int hot = buttonAt(pos);
    if (hot != m_hotButton) {
        m_hotButton = hot;
        update();
    }
    const Qt::Edges edges = event->buttons() ? Qt::Edges() : edgesAt(pos);
    Qt::CursorShape shape = Qt::ArrowCursor;
    if ((edges & Qt::LeftEdge && edges & Qt::TopEdge) || (edges & Qt::RightEdge && edges & Qt::BottomEdge))
        shape = Qt::SizeFDiagCursor;
    else if ((edges & Qt::RightEdge && edges & Qt::TopEdge) || (edges & Qt::LeftEdge && edges & Qt::BottomEdge))
        shape = Qt::SizeBDiagCursor;
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        shape = Qt::SizeHorCursor;
    else if (edges & (Qt::TopEdge | Qt::BottomEdge))
        shape = Qt::SizeVerCursor;
    setCursor(shape);
}

void skin::WindowFrame::moveOrResizeBy(QPoint delta)
{
    if (!m_client)
        return;
    QRect r = m_dragClient;
    if (!m_dragEdges) {
        r.translate(delta);
    } else {
        const QSize min = m_client->minimumSize().expandedTo(QSize(1, 1));
        const QSize max = m_client->maximumSize();
        if (m_dragEdges & Qt::LeftEdge)
            r.setLeft(qBound(r.right() + 1 - max.width(), r.left() + delta.x(), r.right() + 1 - min.width()));
        if (m_dragEdges & Qt::RightEdge)
            r.setWidth(qBound(min.width(), r.width() + delta.x(), max.width()));
        if (m_dragEdges & Qt::TopEdge)
            r.setTop(qBound(r.bottom() + 1 - max.height(), r.top() + delta.y(), r.bottom() + 1 - min.height()));
        if (m_dragEdges & Qt::BottomEdge)
            r.setHeight(qBound(min.height(), r.height() + delta.y(), max.height()));
    }
    m_client->setGeometry(r);
    follow();
}

void skin::WindowFrame::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    const int pressed = m_pressedButton;
    m_pressedButton = -1;
    update();
    if (pressed >= 0 && pressed == buttonAt(event->position().toPoint()))
        press(m_buttons[pressed]);
}

void skin::WindowFrame::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && titleRect().contains(pos) && buttonAt(pos) < 0 &&
        m_buttons.contains(Maximize))
        toggleMaximized();
}

bool skin::WindowFrame::event(QEvent* event)
{
    if (event->type() == QEvent::Leave && m_hotButton >= 0 && m_pressedButton < 0) {
        m_hotButton = -1;
        update();
    }
    return QRasterWindow::event(event);
}
