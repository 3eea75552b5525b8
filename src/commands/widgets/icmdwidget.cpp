#include "icmdwidget.h"

#include "socdatabase.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>

namespace DevelopViews {

namespace {
ICmdWidget::WarningSink& sink()
{
    static ICmdWidget::WarningSink s;
    return s;
}
} // namespace

ICmdWidget::ICmdWidget(int nameId, QWidget* parent)
    : QWidget(parent)
    , m_nameId(nameId)
{ }

bool ICmdWidget::getCommand(DownloadCommand& cmd)
{
    QMap<QString, QString> params;
    const QString why = form().toParams(m_nameId, params);
    if (!why.isEmpty()) {
        warn(this, tr("Error"), why);
        return false;
    }
    cmd.params = params;
    return true;
}

void ICmdWidget::setCommand(const DownloadCommand& cmd)
{
    setForm(CommandForm::fromCommand(cmd));
}

void ICmdWidget::setWarningSink(WarningSink s)
{
    sink() = std::move(s);
}

void ICmdWidget::warn(QWidget* parent, const QString& title, const QString& text)
{
    if (sink()) {
        sink()(title, text);
        return;
    }
    QMessageBox::warning(parent, title, text);
}

QComboBox* ICmdWidget::makeMemoryBox(bool withRom)
{
    auto* box = new QComboBox(this);
    for (const MemoryChoice& m : CommandForm::memoryChoices(SocDatabase::instance().currentSoc(), withRom))
        box->addItem(m.name, m.value);
    return box;
}

QLineEdit* ICmdWidget::makeAddressEdit(const QString& placeholder)
{
    auto* edit = new QLineEdit(this);
    edit->setPlaceholderText(placeholder);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(CommandForm::addressPattern()), edit));
    return edit;
}

QLineEdit* ICmdWidget::makeLengthEdit()
{
    auto* edit = new QLineEdit(this);
    edit->setPlaceholderText(CommandForm::lengthPlaceholder());
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), edit));
    return edit;
}

QString ICmdWidget::memoryValue(const QComboBox* box)
{
    return box->currentIndex() < 0 ? QString() : box->currentData().toString();
}

void ICmdWidget::selectMemory(QComboBox* box, const QString& value)
{
    QList<MemoryChoice> choices;
    for (int i = 0; i < box->count(); ++i)
        choices.append({ box->itemText(i), box->itemData(i).toString() });
    int index = CommandForm::indexOfMemory(choices, value);
    if (index < 0 && !value.isEmpty()) {
        box->addItem(value, value);
        index = box->count() - 1;
    }
    box->setCurrentIndex(qMax(index, box->count() > 0 ? 0 : -1));
}

QString ICmdWidget::pickBinFile(const QString& current)
{
    return QFileDialog::getOpenFileName(this, tr("Select File"),
        current.isEmpty() ? QString() : QFileInfo(current).absolutePath(), QStringLiteral("Bin (*.bin)"));
}

} // namespace DevelopViews
