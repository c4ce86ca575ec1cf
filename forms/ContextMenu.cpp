#include "forms/ContextMenu.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QEvent>
#include <QMouseEvent>

namespace {

// Swallows the right button's presses, releases and double clicks on a view's
// viewport; the context menu event comes all the same.
class RightButtonOpensMenuOnly : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
                return true;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

QAction* contextmenu::action(QWidget* window, const QString& objectName, const QString& text, const QKeySequence& keys)
{
    auto* action = new QAction(text, window);
    action->setObjectName(objectName);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setShortcutVisibleInContextMenu(true);
    return action;
}

void contextmenu::attach(QWidget* window, QAbstractScrollArea* view, std::initializer_list<QAction*> actions)
{
    for (QAction* action : actions) {
        window->addAction(action); // the keys work wherever the focus is in the window
        view->addAction(action);
    }
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    QWidget* viewport = view->viewport();
    viewport->installEventFilter(new RightButtonOpensMenuOnly(viewport));
}
