#include "forms/DataNavigator.h"

#include "data/Table.h"
#include "platform/ErrorReport.h"
#include "platform/Platform.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QToolButton>

namespace {

constexpr int kGlyphSize = 16;

// The buttons' pictures, drawn on a 16 x 16 grid: arrow heads for the moves,
// with a bar for the ends, and a bar across for delete.
void drawGlyph(QPainter& p, DataNavigator::Button which)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const QPolygonF left({{10.5, 3.5}, {4.5, 8.0}, {10.5, 12.5}});
    const QPolygonF right({{5.5, 3.5}, {11.5, 8.0}, {5.5, 12.5}});
    switch (which) {
    case DataNavigator::First:
        p.drawRect(QRectF(3, 3.5, 2, 9));
        p.drawPolygon(left.translated(1.5, 0));
        break;
    case DataNavigator::Prior:
        p.drawPolygon(left);
        break;
    case DataNavigator::Next:
        p.drawPolygon(right);
        break;
    case DataNavigator::Last:
        p.drawPolygon(right.translated(-1.5, 0));
        p.drawRect(QRectF(11, 3.5, 2, 9));
        break;
    case DataNavigator::Delete:
        p.drawRect(QRectF(3.5, 7, 9, 2));
        break;
    }
}

QIcon glyph(DataNavigator::Button which)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(kGlyphSize * scale, kGlyphSize * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        drawGlyph(p, which);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

DataNavigator::DataNavigator(QWidget* parent) : QWidget(parent)
{
    static const char* const names[kButtons] = {"First", "Prior", "Next", "Last", "Delete"};
    // What a screen reader says of the picture buttons; the grid's keys do the same.
    static const char16_t* const spoken[kButtons][2] = {
        {u"Первая запись", u"Переход к первой записи; в таблице — Ctrl+Home"},
        {u"Предыдущая запись", u"Переход к предыдущей записи; в таблице — стрелка вверх"},
        {u"Следующая запись", u"Переход к следующей записи; в таблице — стрелка вниз"},
        {u"Последняя запись", u"Переход к последней записи; в таблице — Ctrl+End"},
        {u"Удалить запись", u"Удаление текущей записи после вопроса «Delete record?»; в таблице — Ctrl+Del"},
    };
    for (int i = 0; i < kButtons; ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(names[i]));
        button->setAccessibleName(QString::fromUtf16(spoken[i][0]));
        button->setAccessibleDescription(QString::fromUtf16(spoken[i][1]));
        button->setIcon(glyph(Button(i)));
        button->setIconSize(QSize(kGlyphSize, kGlyphSize));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, i] { click(Button(i)); });
        m_buttons[i] = button;
    }
    arrange();
    updateButtons();
}

void DataNavigator::setTable(Table* table)
{
    if (m_table)
        disconnect(m_table, nullptr, this, nullptr);
    m_table = table;
    if (m_table) {
        connect(m_table, &Table::dataChanged, this, &DataNavigator::updateButtons);
        connect(m_table, &Table::currentChanged, this, &DataNavigator::updateButtons);
        connect(m_table, &Table::stateChanged, this, &DataNavigator::updateButtons);
    }
    updateButtons();
}

void DataNavigator::click(Button which)
{
    ErrorReport::run([this, which] { act(which); });
}

void DataNavigator::act(Button which)
{
    if (!m_table)
        return;
    if (m_updateRecord)
        m_updateRecord();
    switch (which) {
    case First:
        m_table->first();
        break;
    case Prior:
        m_table->prior();
        break;
    case Next:
        m_table->next();
        break;
    case Last:
        m_table->last();
        break;
    case Delete:
        if (Platform::messages().confirm(window(), QStringLiteral("Delete record?")))
            m_table->remove();
        break;
    }
}

void DataNavigator::updateButtons()
{
    const bool open = m_table && m_table->active();
    const bool atBeginning = !open || m_table->bof();
    const bool atEnd = !open || m_table->eof();
    m_buttons[First]->setEnabled(!atBeginning);
    m_buttons[Prior]->setEnabled(!atBeginning);
    m_buttons[Next]->setEnabled(!atEnd);
    m_buttons[Last]->setEnabled(!atEnd);
    m_buttons[Delete]->setEnabled(open && m_table->recordCount() > 0);
}

void DataNavigator::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void DataNavigator::arrange()
{
    // Equal shares of the width; the odd pixels go to the buttons on the left.
    const int w = width();
    const int h = height();
    for (int i = 0; i < kButtons; ++i) {
        const int left = i * w / kButtons;
        const int right = (i + 1) * w / kButtons;
        m_buttons[i]->setGeometry(left, 0, right - left, h);
    }
}
