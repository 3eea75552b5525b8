#include "hexviewwidget.h"

#include "hexselectionmodel.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

namespace DevelopViews {

namespace {
constexpr int Row = HexViewModel::BytesPerRow;
}

HexViewWidget::HexViewWidget(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_model(new HexViewModel(this))
    , m_selection(new HexSelectionModel(m_model, this))
{
    setObjectName(QStringLiteral("HexViewWidget"));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!QFontInfo(fixed).fixedPitch()) {
        // Some platforms (offscreen among them) answer with a proportional font.
        fixed.setFamily(QStringLiteral("monospace"));
        fixed.setStyleHint(QFont::TypeWriter);
        fixed.setFixedPitch(true);
    }
    setFont(fixed);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(false);
    // Pieces come many to an event-loop pass: the scroll bars follow once per pass,
    // and the picture only when rows in sight changed.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        m_anchor = -1;
        scheduleRefresh(true);
    });
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
        [this](const QModelIndex&, int first, int) { scheduleRefresh(isRowInSight(first)); });
    connect(m_model, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex& topLeft) { scheduleRefresh(isRowInSight(topLeft.row())); });
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, [this] {
        updateMetrics();
        scheduleRefresh(true);
    });
    connect(m_selection, &QItemSelectionModel::selectionChanged, viewport(), qOverload<>(&QWidget::update));
    updateMetrics();
}

bool HexViewWidget::isRowInSight(int row) const
{
    const int first = verticalScrollBar()->value();
    return row >= first && row <= first + (viewport()->height() - m_headerH) / m_rowH + 1;
}

void HexViewWidget::scheduleRefresh(bool repaint)
{
    m_repaintPending = m_repaintPending || repaint;
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshPending = false;
            updateScrollBars();
            if (m_repaintPending)
                viewport()->update();
            m_repaintPending = false;
        },
        Qt::QueuedConnection);
}

QItemSelectionModel* HexViewWidget::selectionModel() const
{
    return m_selection;
}

void HexViewWidget::clear()
{
    m_model->clear();
}

void HexViewWidget::setAddress(const QString& addressText, const QString& lengthText)
{
    m_model->setAddress(addressText, lengthText);
    updateMetrics();
    updateScrollBars();
    viewport()->update();
}

int HexViewWidget::appendData(const QVector<uint8_t>& bytes)
{
    return m_model->append(reinterpret_cast<const char*>(bytes.constData()), bytes.size());
}

void HexViewWidget::updateMetrics()
{
    const QFontMetrics fm(font());
    m_charW = fm.horizontalAdvance(QLatin1Char('0'));
    m_rowH = fm.height() + 4;
    m_headerH = m_rowH + 2;
    m_baseline = 2 + fm.ascent();
    m_addressW = m_charW * (m_model->addressWidth() + 2) + 3 * m_charW;
    m_hexW = m_charW * 3;
    m_chrW = m_charW + 2;
    m_gap = m_charW * 2;
}

int HexViewWidget::columnX(int column) const
{
    if (column < Row)
        return m_addressW + column * m_hexW;
    return m_addressW + Row * m_hexW + m_gap + (column - Row) * m_chrW;
}

int HexViewWidget::cellWidth(int column) const
{
    return column < Row ? m_hexW : m_chrW;
}

void HexViewWidget::updateScrollBars()
{
    const int visibleRows = std::max(1, (viewport()->height() - m_headerH) / m_rowH);
    verticalScrollBar()->setRange(0, std::max(0, m_model->rowCount() - visibleRows));
    verticalScrollBar()->setPageStep(visibleRows);
    verticalScrollBar()->setSingleStep(1);
    const int contentW = columnX(2 * Row) + m_charW;
    horizontalScrollBar()->setRange(0, std::max(0, contentW - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(m_charW);
}

QRect HexViewWidget::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != m_model)
        return QRect();
    const int y = m_headerH + (index.row() - verticalScrollBar()->value()) * m_rowH;
    return QRect(columnX(index.column()) - horizontalScrollBar()->value(), y, cellWidth(index.column()), m_rowH);
}

QModelIndex HexViewWidget::indexAt(const QPoint& point) const
{
    if (point.y() < m_headerH)
        return QModelIndex();
    const int row = verticalScrollBar()->value() + (point.y() - m_headerH) / m_rowH;
    const int x = point.x() + horizontalScrollBar()->value();
    int column = -1;
    if (x >= m_addressW && x < columnX(Row))
        column = (x - m_addressW) / m_hexW;
    else if (x >= columnX(Row) && x < columnX(2 * Row))
        column = Row + (x - columnX(Row)) / m_chrW;
    const QModelIndex index = column < 0 ? QModelIndex() : m_model->index(row, column);
    return m_model->byteIndex(index) < 0 ? QModelIndex() : index;
}

void HexViewWidget::scrollTo(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    QScrollBar* bar = verticalScrollBar();
    if (index.row() < bar->value())
        bar->setValue(index.row());
    else if (index.row() >= bar->value() + bar->pageStep())
        bar->setValue(index.row() - bar->pageStep() + 1);
}

void HexViewWidget::scrollToBottom()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void HexViewWidget::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const QPalette& pal = palette();
    p.fillRect(viewport()->rect(), pal.base());
    p.translate(-horizontalScrollBar()->value(), 0);
    p.setFont(font());

    // Header: column numbers of both halves.
    const int width = columnX(2 * Row) + m_charW;
    p.fillRect(
        QRect(0, 0, std::max(width, viewport()->width() + horizontalScrollBar()->value()), m_headerH), pal.button());
    p.setPen(pal.buttonText().color());
    for (int c = 0; c < 2 * Row; ++c)
        p.drawText(QRect(columnX(c), 0, cellWidth(c), m_headerH), Qt::AlignCenter,
            m_model->headerData(c, Qt::Horizontal).toString());

    // Only the rows in sight are asked for their texts.
    const int first = verticalScrollBar()->value();
    const int last = std::min(m_model->rowCount(), first + (viewport()->height() - m_headerH) / m_rowH + 2);
    for (int row = first; row < last; ++row) {
        const int y = m_headerH + (row - first) * m_rowH;
        p.setPen(pal.color(QPalette::Disabled, QPalette::Text));
        p.drawText(QRect(m_charW, y, m_addressW - 2 * m_charW, m_rowH), Qt::AlignRight | Qt::AlignVCenter,
            m_model->headerData(row, Qt::Vertical).toString());
        for (int c = 0; c < 2 * Row; ++c) {
            const QModelIndex index = m_model->index(row, c);
            const QString text = m_model->data(index).toString();
            if (text.isEmpty()) {
                // Past the last byte of a partly filled row: on to its characters, or done.
                if (c >= Row)
                    break;
                c = Row - 1;
                continue;
            }
            const QRect cell(columnX(c), y, cellWidth(c), m_rowH);
            if (m_selection->isSelected(index)) {
                p.fillRect(cell, pal.highlight());
                p.setPen(pal.highlightedText().color());
            } else {
                const QVariant fg = m_model->data(index, Qt::ForegroundRole);
                p.setPen(fg.isValid() ? fg.value<QBrush>().color() : pal.text().color());
            }
            p.drawText(cell.x() + (cell.width() - text.size() * m_charW) / 2, y + m_baseline, text);
        }
    }
    // The line between the addresses and the bytes, and between the halves.
    p.setPen(pal.color(QPalette::Mid));
    const int bottom = m_headerH + (last - first) * m_rowH;
    p.drawLine(m_addressW - m_charW / 2, 0, m_addressW - m_charW / 2, bottom);
    p.drawLine(columnX(Row) - m_gap / 2, 0, columnX(Row) - m_gap / 2, bottom);
}

void HexViewWidget::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void HexViewWidget::selectBytes(int from, int to, QItemSelectionModel::SelectionFlags flags)
{
    if (from > to)
        std::swap(from, to);
    QItemSelection s;
    const int firstRow = from / Row, lastRow = to / Row;
    if (firstRow == lastRow) {
        s.select(m_model->index(firstRow, from % Row), m_model->index(firstRow, to % Row));
    } else {
        s.select(m_model->index(firstRow, from % Row), m_model->index(firstRow, Row - 1));
        if (lastRow - firstRow > 1)
            s.select(m_model->index(firstRow + 1, 0), m_model->index(lastRow - 1, Row - 1));
        s.select(m_model->index(lastRow, 0), m_model->index(lastRow, to % Row));
    }
    m_selection->select(s, flags);
}

void HexViewWidget::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const int byte = m_model->byteIndex(index);
    m_selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    if (event->modifiers() & Qt::ControlModifier) {
        m_selection->select(index, QItemSelectionModel::Toggle);
        m_anchor = byte;
    } else if ((event->modifiers() & Qt::ShiftModifier) && m_anchor >= 0) {
        selectBytes(m_anchor, byte, QItemSelectionModel::ClearAndSelect);
    } else {
        m_selection->select(index, QItemSelectionModel::ClearAndSelect);
        m_anchor = byte;
    }
}

void HexViewWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_anchor < 0 || (event->modifiers() & Qt::ControlModifier))
        return;
    const QPoint pos = event->pos();
    // Past the bottom or top edge the view follows the drag.
    if (pos.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else if (pos.y() < m_headerH)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    const int byte = byteNear(pos);
    if (byte >= 0)
        selectBytes(m_anchor, byte, QItemSelectionModel::ClearAndSelect);
}

int HexViewWidget::byteNear(const QPoint& point) const
{
    const int size = m_model->bytes().size();
    if (size == 0)
        return -1;
    const int y = std::clamp(point.y(), m_headerH, std::max(m_headerH, viewport()->height() - 1));
    const int row = verticalScrollBar()->value() + (y - m_headerH) / m_rowH;
    const int x = point.x() + horizontalScrollBar()->value();
    int column = 0; // left of the bytes: the row's first
    if (x >= columnX(Row))
        column = std::min(Row - 1, (x - columnX(Row)) / m_chrW);
    else if (x >= m_addressW)
        column = std::min(Row - 1, (x - m_addressW) / m_hexW);
    return std::min(size - 1, row * Row + column);
}

void HexViewWidget::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::SelectAll) {
        if (m_model->rowCount() > 0)
            selectBytes(0, m_model->bytes().size() - 1, QItemSelectionModel::ClearAndSelect);
        return;
    }
    if (event == QKeySequence::Copy) {
        QApplication::clipboard()->setText(selectedText());
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

QString HexViewWidget::selectedText() const
{
    QVector<bool> chosen(m_model->bytes().size(), false);
    for (const QItemSelectionRange& r : m_selection->selection())
        for (int row = r.top(); row <= r.bottom(); ++row)
            for (int c = std::min(r.left(), Row); c <= std::min(r.right(), Row - 1); ++c)
                if (row * Row + c < chosen.size())
                    chosen[row * Row + c] = true;
    QString out;
    int inLine = 0;
    for (int i = 0; i < chosen.size(); ++i) {
        if (!chosen[i])
            continue;
        if (inLine == Row) {
            out += QLatin1Char('\n');
            inLine = 0;
        }
        if (inLine > 0)
            out += QLatin1Char(' ');
        out += m_model->data(m_model->index(i / Row, i % Row)).toString();
        ++inLine;
    }
    return out;
}

bool HexViewWidget::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid())
            QToolTip::showText(
                help->globalPos(), m_model->data(index, Qt::ToolTipRole).toString(), viewport(), visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void HexViewWidget::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateMetrics();
        updateScrollBars();
    }
}

} // namespace DevelopViews
