// The hexadecimal viewer: a table view over HexViewModel in a fixed-width font,
// the row addresses in its vertical header, and a byte's hexadecimal and
// character cells selected together.
#pragma once

#include "hexviewmodel.h"

#include <QTableView>
#include <QVector>
#include <cstdint>

namespace DevelopViews {

class HexSelectionModel;

class HexViewWidget : public QTableView
{
    Q_OBJECT
public:
    explicit HexViewWidget(QWidget* parent = nullptr);

    HexViewModel* hexModel() const { return m_model; }
    void clear();
    void setAddress(const QString& addressText, const QString& lengthText);
    int appendData(const QVector<uint8_t>& bytes);

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateSizes();

    HexViewModel* m_model = nullptr;
    HexSelectionModel* m_selection = nullptr;
};

} // namespace DevelopViews
