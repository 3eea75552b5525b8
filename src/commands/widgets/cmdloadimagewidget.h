// Editor of load-image: the image file to load and run.
#pragma once

#include "icmdwidget.h"

class QLineEdit;

namespace DevelopViews {

class CmdLoadImageWidget : public ICmdWidget
{
    Q_OBJECT
public:
    explicit CmdLoadImageWidget(QWidget* parent = nullptr);

    QLineEdit* imagePathEdit() const { return m_path; }

protected:
    CommandForm form() const override;
    void setForm(const CommandForm& form) override;

private:
    QLineEdit* m_path;
};

} // namespace DevelopViews
