#pragma once

#include "skin/SkinData.h"

#include <QBasicTimer>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>

class QWidget;

namespace skin {

class SkinStyle;
class WindowFrame;

// The skin engine: holds the one loaded skin and applies it to the skinned
// windows and their controls.
//
// A window is skinned when it carries the dynamic property "skinSection"
// with the value "FORM" (its skin provider); a control of such a window is
// drawn under the section its own "skinSection" names ("PANEL", "BUTTON",
// "EDIT", "COMBOBOX", "GROUPBOX", …). The items of a radio group (radio
// buttons inside a "GROUPBOX" control) take "RADIOBUTTON" without a mark of
// their own, and the scroll bars of a skinned memo, tree or list take the
// scroll bar sections. Controls and windows without the property, message
// boxes among them, keep the window system's look. Windows and controls
// marked later, or created after the skin was loaded, are skinned as they
// are marked.
//
// A skinned window gets a frame and title bar of the skin (WindowFrame)
// when it is first shown; until then, and as far as its controls are
// concerned, its geometry is the one its code gave it: the skin changes
// pixels only.
class Engine : public QObject {
    Q_OBJECT
public:
    // Loads the internal skin, once per process ("Desert (internal)"; the
    // program has no skin folder to look in), and skins the windows that
    // carry a provider. The main window, whose provider was created before
    // the skin was loaded, keeps the system's button-face colour as its own.
    // Later calls return the same engine.
    static Engine* loadInternalSkin(QWidget* mainWindow);
    // The loaded engine, or null before loadInternalSkin().
    static Engine* instance();

    const Skin& skin() const { return m_skin; }

    // The section a widget is drawn under, empty for one the skin leaves alone.
    QString sectionOf(const QWidget* widget) const;
    // True for a window that carries the skin provider.
    static bool isSkinnedWindow(const QWidget* widget);
    // The frame the skin gives a window, once shown; null otherwise.
    WindowFrame* frameOf(const QWidget* window) const;

    // What a skinned widget shows as its own background (a window: its
    // texture; a control: its background in the given state, transparency
    // against its parent included). Null for a widget that is not skinned.
    QImage backgroundOf(const QWidget* widget, bool hot = false);
    // The parent's background under the widget, or null when the parent
    // has none.
    QImage parentBackgroundOf(const QWidget* widget);

    // A section's frame image ("BORDERSMASK", found through ParentClass)
    // in a state, drawn around rect.
    void drawFrame(QImage& target, const QRect& rect, const QString& section, int state,
                   const QString& property = QStringLiteral("BORDERSMASK")) const;
    // A glyph of a section at a place; returns false when the skin has none.
    bool drawGlyph(QImage& target, QPoint at, const QString& section, const QString& property, int state) const;
    QSize glyphSize(const QString& section, const QString& property) const;
    // How many pixels the section's frame ("BORDERSMASK") covers from the
    // left edge inwards, at the middle of that side; 0 without a frame.
    int frameThickness(const QString& section) const;

    // The picture to show for a control whose state can fade (buttons):
    // the first time a new state is seen the cross-fade from the picture shown
    // before starts, one step per interval of the section.
    QImage fadedPicture(QWidget* widget, int state, const QImage& picture);

    SkinStyle* style() const { return m_style; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    Engine();
    void skinWindow(QWidget* window);
    void skinControl(QWidget* control);
    void skinControls(QWidget* window);
    void forget(QObject* object);

    Skin m_skin;
    SkinStyle* m_style = nullptr;
    QHash<const QWidget*, WindowFrame*> m_frames;

    struct CacheKey {
        const void* widget;
        QSize size;
        QPoint place; // within its window
        QSize windowSize;
        bool hot;
        bool operator==(const CacheKey&) const = default;
    };
    friend size_t qHash(const CacheKey& key, size_t seed);
    QHash<CacheKey, QImage> m_backgrounds;

    struct Fade {
        QPointer<QWidget> widget;
        int state = -1;
        QImage shown; // the picture last shown
        QImage from;  // the picture the fade starts from
        int step = 0; // of the section's iterations; 0: no fade running
        int iterations = 0;
    };
    QHash<const QWidget*, Fade> m_fades;
    QBasicTimer m_fadeTimer;
    int m_fadeInterval = 5;
};

} // namespace skin
