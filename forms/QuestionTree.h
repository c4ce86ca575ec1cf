#pragma once

#include <QAbstractListModel>
#include <QTreeView>

// The nodes of a question tree: root nodes only, captioned 1, 2, … N. They
// are not held one by one: emptying the tree and filling it with the N nodes
// of a large question base costs nothing, however large N is.
class NumberedNodes : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int count() const { return m_count; }
    // Empties the tree (count 0) or fills it with the nodes 1 … count.
    void setCount(int count);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    int m_count = 0;
};

// The question tree of the test window and of the test editor: the numbers
// of the questions as root nodes, one indent in, without border, header or
// editing; one node is selected at a time.
//
// click() is signalled on every left click in it, on a node or beside the
// nodes, after the selection has followed the click, and whenever a key
// (the arrows, Home/End, PgUp/PgDn, Space, a number typed) moves the
// selection to another node: the window's handler of the click always shows
// the node that is highlighted. Only the left button and the keys select: a
// right or middle click changes nothing.
class QuestionTree : public QTreeView {
    Q_OBJECT
public:
    explicit QuestionTree(QWidget* parent = nullptr);

    // Empties the tree.
    void clear() { m_nodes->setCount(0); }
    // Adds the root nodes 1 … count to the empty tree.
    void addNodes(int count) { m_nodes->setCount(m_nodes->count() + count); }
    int nodeCount() const { return m_nodes->count(); }
    // The text of the selected node; empty when no node is selected.
    QString selectedText() const;
    // Selects the node of the row (0-based) and scrolls it into view.
    void selectRow(int row);

signals:
    void click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The row of the selected node; -1 when none is selected.
    int selectedRow() const;

    NumberedNodes* m_nodes;
};
