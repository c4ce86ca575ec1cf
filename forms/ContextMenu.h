#pragma once

#include <QKeySequence>
#include <QString>

#include <initializer_list>

class QAbstractScrollArea;
class QAction;
class QWidget;

// The context menu of a window's list or grid, whose actions also have keys
// of their own in the whole window.
namespace contextmenu {

// An action of the window with its object name, text and key; the menu shows
// the key beside the text.
QAction* action(QWidget* window, const QString& objectName, const QString& text, const QKeySequence& keys);

// The view's context menu offers the actions in this order, and their keys
// work wherever the focus is in the window. The right button on the view
// only opens the menu: it neither changes the view's current item or
// selection nor starts editing.
void attach(QWidget* window, QAbstractScrollArea* view, std::initializer_list<QAction*> actions);

} // namespace contextmenu
