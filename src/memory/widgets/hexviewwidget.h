// The hexadecimal viewer: draws the rows of HexViewModel that are in sight and
// nothing else (no per-row or per-cell structure, whatever the buffer's size), the
// row address on the left, then 16 hexadecimal and 16 character cells. A byte's
// two cells are selected together (HexSelectionModel); a drag selects the bytes
// between its ends, row after row; Ctrl+C copies the selected bytes as text.
#pragma once

#include "hexviewmodel.h"

#include <QAbstractScrollArea>
#include <QItemSelectionModel>
#include <QModelIndex>
#include <QVector>
#include <cstdint>

#include <QItemSelectionModel>

namespace DevelopViews {

class HexSelectionModel;

class HexViewWidget : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit HexViewWidget(QWidget* parent = nullptr);

    HexViewModel* hexModel() const { return m_model; }
    QItemSelectionModel* selectionModel() const;
    void clear();
    void setAddress(const QString& addressText, const QString& lengthText);
    int appendData(const QVector<uint8_t>& bytes);

    // Cell geometry in viewport coordinates.
    QRect visualRect(const QModelIndex& index) const;
    QModelIndex indexAt(const QPoint& point) const;
    void scrollTo(const QModelIndex& index);
    void scrollToBottom();
    // The selected bytes as hexadecimal text, 16 a line.
    QString selectedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateMetrics();
    void updateScrollBars();
    bool isRowInSight(int row) const;
    // The byte under a point, or the nearest one (drags beyond the cells).
    int byteNear(const QPoint& point) const;
    void scheduleRefresh(bool repaint);
    int columnX(int column) const; // content x of a cell column
    int cellWidth(int column) const;
    void selectBytes(int from, int to, QItemSelectionModel::SelectionFlags flags);

    HexViewModel* m_model = nullptr;
    HexSelectionModel* m_selection = nullptr;
    bool m_refreshPending = false;
    bool m_repaintPending = false;
    int m_anchor = -1; // byte where the selection began
    int m_charW = 8;
    int m_rowH = 18;
    int m_headerH = 20;
    int m_baseline = 14; // of a cell's text, from the row's top
    int m_addressW = 100;
    int m_hexW = 24;
    int m_chrW = 10;
    int m_gap = 16;
};

} // namespace DevelopViews
