#include "hexviewwidget.h"

#include "hexselectionmodel.h"

#include <QEvent>
#include <QFontDatabase>
#include <QHeaderView>

namespace DevelopViews {

HexViewWidget::HexViewWidget(QWidget* parent)
    : QTableView(parent)
    , m_model(new HexViewModel(this))
    , m_selection(new HexSelectionModel(m_model, this))
{
    setObjectName(QStringLiteral("HexViewWidget"));
    setModel(m_model);
    setSelectionModel(m_selection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setShowGrid(false);
    setCornerButtonEnabled(false);
    // Fixed sections: nothing is measured per row, however many rows there are.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    updateSizes();
}

void HexViewWidget::clear()
{
    m_model->clear();
}

void HexViewWidget::setAddress(const QString& addressText, const QString& lengthText)
{
    m_model->setAddress(addressText, lengthText);
    updateSizes();
}

int HexViewWidget::appendData(const QVector<uint8_t>& bytes)
{
    return m_model->append(reinterpret_cast<const char*>(bytes.constData()), bytes.size());
}

void HexViewWidget::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateSizes();
}

void HexViewWidget::updateSizes()
{
    const QFontMetrics fm(font());
    const int cell = fm.horizontalAdvance(QLatin1Char('0'));
    verticalHeader()->setDefaultSectionSize(fm.height() + 4);
    verticalHeader()->setFont(font());
    horizontalHeader()->setFont(font());
    verticalHeader()->setMinimumWidth(cell * (m_model->addressWidth() + 2) + 12);
    for (int c = 0; c < HexViewModel::BytesPerRow; ++c) {
        setColumnWidth(c, cell * 2 + 10);
        setColumnWidth(c + HexViewModel::BytesPerRow, cell + 6);
    }
    // A little air between the two halves.
    setColumnWidth(HexViewModel::BytesPerRow - 1, cell * 2 + 22);
}

} // namespace DevelopViews
