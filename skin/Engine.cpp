#include "skin/Engine.h"

#include "skin/Paint.h"
#include "skin/SkinStyle.h"
#include "skin/WindowFrame.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTimerEvent>

namespace {

skin::Engine* g_engine = nullptr;

constexpr const char* kProperty = "skinSection";
const QString kForm = QStringLiteral("FORM");

// More cached backgrounds than the program's windows need: start afresh.
constexpr qsizetype kCacheLimit = 400;

} // namespace

namespace skin {
size_t qHash(const Engine::CacheKey& key, size_t seed)
{
    return qHashMulti(seed, key.widget, key.size.width(), key.size.height(), key.place.x(), key.place.y(),
                      key.windowSize.width(), key.windowSize.height(), key.hot);
}
} // namespace skin

skin::Engine* skin::Engine::instance() { return g_engine; }

skin::Engine* skin::Engine::loadInternalSkin(QWidget* mainWindow)
{
    // Windows that carried their provider before the skin was loaded took
    // the system's button-face colour.
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    auto takeButtonFace = [&buttonFace](QWidget* w) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, buttonFace);
        w->setPalette(p);
    };
    if (!g_engine) {
        g_engine = new Engine;
        qApp->installEventFilter(g_engine);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (isSkinnedWindow(w)) {
                takeButtonFace(w);
                g_engine->skinWindow(w);
            }
    }
    if (mainWindow && isSkinnedWindow(mainWindow)) {
        takeButtonFace(mainWindow);
        g_engine->skinWindow(mainWindow);
    }
    return g_engine;
}

skin::Engine::Engine() : QObject(qApp), m_skin(internalSkin())
{
    m_skin.pixels(); // converted once, here
    QStyle* base = QStyleFactory::create(QApplication::style()->name());
    m_style = new SkinStyle(base, this);
    m_style->setParent(this);
    const Section* button = m_skin.section(QStringLiteral("BUTTON"));
    if (button && button->fadingIntervalIn > 0)
        m_fadeInterval = button->fadingIntervalIn;
}

bool skin::Engine::isSkinnedWindow(const QWidget* widget)
{
    return widget && widget->isWindow() && widget->property(kProperty).toString() == kForm;
}

skin::WindowFrame* skin::Engine::frameOf(const QWidget* window) const { return m_frames.value(window); }

QString skin::Engine::sectionOf(const QWidget* widget) const
{
    if (!widget)
        return {};
    const QVariant mark = widget->property(kProperty);
    if (mark.isValid())
        return mark.toString();
    const QWidget* parent = widget->parentWidget();
    if (qobject_cast<const QRadioButton*>(widget) && parent &&
        parent->property(kProperty).toString() == QLatin1String("GROUPBOX"))
        return QStringLiteral("RADIOBUTTON");
    if (const auto* bar = qobject_cast<const QScrollBar*>(widget)) {
        // A scroll area keeps its scroll bars in a container of its own.
        for (const QWidget* w = parent; w && !w->isWindow(); w = w->parentWidget())
            if (qobject_cast<const QAbstractScrollArea*>(w) && w->property(kProperty).isValid())
                return bar->orientation() == Qt::Horizontal ? QStringLiteral("SCROLLBAR1H")
                                                            : QStringLiteral("SCROLLBAR1V");
    }
    return {};
}

QImage skin::Engine::backgroundOf(const QWidget* widget, bool hot)
{
    if (!widget)
        return {};
    const bool window = isSkinnedWindow(widget);
    const QString name = window ? kForm : sectionOf(widget);
    const Section* section = name.isEmpty() ? nullptr : m_skin.section(name);
    if (!section)
        return {};
    const StateValues& values = section->values(hot);
    const QWidget* top = widget->window();
    const CacheKey key{widget, widget->size(), window ? QPoint() : widget->mapTo(top, QPoint()), top->size(), hot};
    if (const auto it = m_backgrounds.constFind(key); it != m_backgrounds.constEnd())
        return *it;

    QImage texture;
    if (values.imagePercent > 0)
        if (const ImageEntry* pattern =
                m_skin.image(name, hot ? QStringLiteral("HOTPATTERN") : QStringLiteral("PATTERN")))
            texture = m_skin.pixels().copy(pattern->rect);
    const QImage parent = window ? QImage() : parentBackgroundOf(widget);
    QImage image = paint::background(values, widget->size(), texture.isNull() ? nullptr : &texture,
                                     parent.isNull() ? nullptr : &parent);
    // A window that can be resized shows the size grip in its lower right corner.
    if (window)
        if (const WindowFrame* frame = m_frames.value(widget); frame && frame->isSizeable()) {
            const QSize grip = glyphSize(kForm, QStringLiteral("GRIPIMAGE"));
            drawGlyph(image, QPoint(image.width() - grip.width(), image.height() - grip.height()), kForm,
                      QStringLiteral("GRIPIMAGE"), 0);
        }
    if (m_backgrounds.size() >= kCacheLimit)
        m_backgrounds.clear();
    m_backgrounds.insert(key, image);
    // A widget made later at the same address must not find this picture.
    connect(widget, &QObject::destroyed, this, &Engine::forget, Qt::UniqueConnection);
    return image;
}

QImage skin::Engine::parentBackgroundOf(const QWidget* widget)
{
    if (!widget || widget->isWindow())
        return {};
    const QImage parent = backgroundOf(widget->parentWidget());
    if (parent.isNull())
        return {};
    return parent.copy(widget->geometry());
}

void skin::Engine::drawFrame(QImage& target, const QRect& rect, const QString& section, int state,
                             const QString& property) const
{
    const ImageEntry* entry = m_skin.image(section, property);
    const QImage& master = m_skin.pixels();
    if (!entry || master.isNull())
        return;
    paint::drawFrame(target, rect, paint::statePicture(master, *entry, state), paint::stateMask(master, *entry, state),
                     entry->maskType);
}

bool skin::Engine::drawGlyph(QImage& target, QPoint at, const QString& section, const QString& property,
                             int state) const
{
    const ImageEntry* entry = m_skin.image(section, property);
    const QImage& master = m_skin.pixels();
    if (!entry || master.isNull())
        return false;
    paint::drawMasked(target, at, paint::statePicture(master, *entry, state), paint::stateMask(master, *entry, state),
                      entry->maskType);
    return true;
}

QSize skin::Engine::glyphSize(const QString& section, const QString& property) const
{
    const ImageEntry* entry = m_skin.image(section, property);
    return entry ? entry->stateSize() : QSize();
}

int skin::Engine::frameThickness(const QString& section) const
{
    const ImageEntry* entry = m_skin.image(section, QStringLiteral("BORDERSMASK"));
    const QImage& master = m_skin.pixels();
    if (!entry || master.isNull())
        return 0;
    const QImage picture = paint::statePicture(master, *entry, 0);
    const QImage mask = paint::stateMask(master, *entry, 0);
    const int y = picture.height() / 2;
    int x = 0;
    for (; x < picture.width() / 3; ++x) {
        const bool fuchsia = (picture.pixel(x, y) & 0xFFFFFF) == 0xFF00FF;
        const bool seeThrough = entry->maskType == ImageEntry::LowerHalf && !mask.isNull() && qRed(mask.pixel(x, y)) == 255;
        if (fuchsia || seeThrough)
            break;
    }
    return x;
}

QImage skin::Engine::fadedPicture(QWidget* widget, int state, const QImage& picture)
{
    Fade& fade = m_fades[widget];
    if (!fade.widget) {
        fade.widget = widget;
        connect(widget, &QObject::destroyed, this, &Engine::forget, Qt::UniqueConnection);
    }
    if (fade.state < 0 || fade.shown.size() != picture.size()) {
        fade.state = state;
        fade.shown = picture;
        return picture;
    }
    if (state != fade.state) {
        const Section* section = m_skin.section(sectionOf(widget));
        fade.state = state;
        fade.from = fade.shown;
        fade.iterations = section && section->fadingEnabled ? section->fadingIterations : 0;
        fade.step = 0;
        if (fade.iterations > 0 && !m_fadeTimer.isActive())
            m_fadeTimer.start(m_fadeInterval, Qt::PreciseTimer, this);
    }
    QImage shown = picture;
    if (fade.iterations > 0 && fade.step < fade.iterations) {
        const int percent = fade.step * 100 / fade.iterations; // of the new picture
        for (int y = 0; y < shown.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
            const auto* from = reinterpret_cast<const QRgb*>(fade.from.constScanLine(y));
            for (int x = 0; x < shown.width(); ++x)
                line[x] = paint::mix(line[x], from[x], percent);
        }
    }
    fade.shown = shown;
    return shown;
}

void skin::Engine::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_fadeTimer.timerId())
        return QObject::timerEvent(event);
    bool running = false;
    for (Fade& fade : m_fades) {
        if (fade.iterations <= 0 || fade.step >= fade.iterations)
            continue;
        ++fade.step;
        if (fade.widget)
            fade.widget->update();
        running = running || fade.step < fade.iterations;
    }
    if (!running)
        m_fadeTimer.stop();
}

void skin::Engine::forget(QObject* object)
{
    const auto* widget = static_cast<const QWidget*>(object);
    m_fades.remove(widget);
    if (WindowFrame* frame = m_frames.take(widget))
        delete frame;
    m_backgrounds.removeIf([widget](const auto& it) { return it.key().widget == widget; });
}

void skin::Engine::skinWindow(QWidget* window)
{
    if (m_frames.contains(window))
        return;
    const Qt::WindowFlags border = window->windowFlags();
    const bool visible = window->isVisible();
    window->setWindowFlags(border | Qt::FramelessWindowHint); // hides a shown window
    m_frames.insert(window, new WindowFrame(window, border, this));
    connect(window, &QObject::destroyed, this, &Engine::forget, Qt::UniqueConnection);
    // The skin paints the whole client area.
    window->setAutoFillBackground(false);
    window->setAttribute(Qt::WA_OpaquePaintEvent);
    skinControls(window);
    if (visible)
        window->show(); // in its frame
}

void skin::Engine::skinControls(QWidget* window)
{
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->property(kProperty).isValid())
            skinControl(w);
}

void skin::Engine::skinControl(QWidget* control)
{
    if (!isSkinnedWindow(control->window()) || control->isWindow())
        return;
    const QString section = sectionOf(control);
    if (section.isEmpty() || !m_skin.section(section))
        return;
    auto skin = [this](QWidget* w) {
        if (w->style() != m_style)
            w->setStyle(m_style);
        w->setAttribute(Qt::WA_Hover);
    };
    skin(control);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) {
        skin(area->verticalScrollBar());
        skin(area->horizontalScrollBar());
        const Section* s = m_skin.section(section);
        QPalette p = area->palette();
        p.setColor(QPalette::Base, QColor(fromSkinColor(s->normal.color)));
        area->setPalette(p);
    }
    if (qobject_cast<QGroupBox*>(control))
        for (QRadioButton* item : control->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
            skin(item);
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        skin(combo->lineEdit());
    // Skinned buttons, panels and group boxes paint every pixel of their own.
    if (section == QLatin1String("BUTTON") || section == QLatin1String("PANEL"))
        control->setAttribute(Qt::WA_OpaquePaintEvent);
    control->update();
}

bool skin::Engine::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DynamicPropertyChange: {
        auto* change = static_cast<QDynamicPropertyChangeEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || change->propertyName() != kProperty)
            break;
        if (isSkinnedWindow(widget)) {
            // A provider created now takes the skin's global colour.
            QPalette p = widget->palette();
            p.setColor(QPalette::Window, QColor(m_skin.globalColor()));
            widget->setPalette(p);
            skinWindow(widget);
        } else if (!widget->isWindow()) {
            skinControl(widget);
        }
        break;
    }
    case QEvent::Paint:
        if (auto* window = qobject_cast<QWidget*>(watched); window && m_frames.contains(window)) {
            const QImage background = backgroundOf(window);
            QPainter p(window);
            const QRect r = static_cast<QPaintEvent*>(event)->rect();
            p.drawImage(r.topLeft(), background, r);
        }
        break;
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
    case QEvent::ActivationChange:
    case QEvent::WindowTitleChange: {
        auto* window = qobject_cast<QWidget*>(watched);
        WindowFrame* frame = window ? m_frames.value(window) : nullptr;
        if (!frame)
            break;
        if (event->type() == QEvent::Show)
            frame->clientShown();
        else if (event->type() == QEvent::Hide)
            frame->clientHidden();
        else if (event->type() == QEvent::WindowTitleChange)
            frame->setTitle(window->windowTitle());
        if (event->type() == QEvent::ActivationChange && window->isActiveWindow() && frame->isVisible()) {
            // The frame lies right below its window.
            frame->raise();
            window->raise();
        }
        if (event->type() != QEvent::Hide)
            frame->follow();
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
