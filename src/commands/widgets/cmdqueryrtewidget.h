// Editor of query-rte: the ROM itself or one memory of the SoC whose attributes to query.
#pragma once

#include "icmdwidget.h"

class QComboBox;

namespace DevelopViews {

class CmdQueryRteWidget : public ICmdWidget
{
    Q_OBJECT
public:
    explicit CmdQueryRteWidget(QWidget* parent = nullptr);

    QComboBox* memoryBox() const { return m_memory; }

protected:
    CommandForm form() const override;
    void setForm(const CommandForm& form) override;

private:
    QComboBox* m_memory;
};

} // namespace DevelopViews
