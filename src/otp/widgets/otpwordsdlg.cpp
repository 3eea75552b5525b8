#include "otpwordsdlg.h"

#include "otphex.h"
#include "otpwordsinput.h"
#include "projectconfig.h"
#include "socdatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace DevelopViews {

namespace {

const char RowProperty[] = "otpRow";
const char ValueColumnProperty[] = "otpValueColumn";

// The value a field's editor holds: decimal, or hexadecimal with "0x".
quint64 fieldNumber(const QString& text)
{
    bool ok = false;
    const quint64 v = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toULongLong(&ok, 16)
                                                                                : text.toULongLong(&ok, 10);
    return ok ? v : 0;
}

} // namespace

OTPWordsDlg::OTPWordsDlg(QWidget* parent)
    : QDialog(parent)
{
    buildUi();
    m_tabs->setCurrentIndex(0);
}

OTPWordsDlg::OTPWordsDlg(uint32_t startAddress, QString wordsText, QWidget* parent)
    : QDialog(parent)
{
    buildUi();
    m_startEdit->setText(QString::number(startAddress));
    m_startEdit->setEnabled(false);
    m_countEdit->setText(QString::number(wordsText.split(QLatin1Char(',')).size()));
    m_wordsEdit->setPlainText(wordsText);
    m_tabs->setCurrentIndex(1);
}

void OTPWordsDlg::buildUi()
{
    OtpRuns::registerMetaTypes();
    setWindowTitle(tr("OTP Words Dialog"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    resize(1000, 400);

    m_tabs = new QTabWidget(this);

    m_table = new QTableWidget(this);
    m_table->setMinimumWidth(1000);
    auto* templatePage = new QWidget(this);
    auto* templateLayout = new QVBoxLayout(templatePage);
    templateLayout->setContentsMargins(0, 0, 0, 0);
    templateLayout->addWidget(m_table);
    m_tabs->addTab(templatePage, tr("Template"));

    auto* customPage = new QWidget(this);
    auto* customLayout = new QVBoxLayout(customPage);
    auto* row = new QHBoxLayout;
    m_startEdit = new QLineEdit(customPage);
    m_startEdit->setPlaceholderText(tr("Decimal or hexadecimal number"));
    m_startEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^(0x)?[0-9a-fA-F]+")), m_startEdit));
    m_countEdit = new QLineEdit(customPage);
    m_countEdit->setPlaceholderText(tr("Digital type"));
    m_countEdit->setValidator(new QIntValidator(0, 0x7FFFFFFF, m_countEdit));
    row->addWidget(new QLabel(tr("Start Address: "), customPage));
    row->addWidget(m_startEdit, 1);
    row->addSpacing(24);
    row->addWidget(new QLabel(tr("Word Count: "), customPage));
    row->addWidget(m_countEdit, 1);
    customLayout->addLayout(row);
    customLayout->addWidget(
        new QLabel(tr("Word List (Please input 8 bit hexadecimal number and split them by ',')"), customPage));
    m_wordsEdit = new QPlainTextEdit(customPage);
    m_wordsEdit->setPlaceholderText(tr("Expamle: 0x00000000,0x00000001,0x00000002,0x00000003,0x00000004,0x00000005"));
    customLayout->addWidget(m_wordsEdit, 1);
    m_tabs->addTab(customPage, tr("Custom"));

    auto* cancel = new QPushButton(tr("Cancel"), this);
    auto* ok = new QPushButton(tr("Ok"), this);
    ok->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &OTPWordsDlg::slotCancelBtnClicked);
    connect(ok, &QPushButton::clicked, this, &OTPWordsDlg::slotOkBtnClicked);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);

    buildTemplateTable();
}

void OTPWordsDlg::buildTemplateTable()
{
    m_table->setColumnCount(5);
    m_table->setHorizontalHeaderLabels({ tr("Word"), tr("Key"), tr("Value"), tr("Key"), tr("Value") });
    QHeaderView* header = m_table->horizontalHeader();
    for (int c : { 0, 1, 3 })
        header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    for (int c : { 2, 4 })
        header->setSectionResizeMode(c, QHeaderView::Stretch);
    header->setSectionsClickable(false);
    m_table->verticalHeader()->setVisible(false);
    m_table->setAlternatingRowColors(true);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    // The word colours are dark; the keys must stay readable on them.
    m_table->setStyleSheet(QStringLiteral("QCheckBox { color: #dcdcdc; margin-left: 6px; }"));

    const QVector<FuseWordInfo> fuseMap = SocDatabase::instance().currentSoc().fuseMap;
    const QColor wordColours[2] = { QColor(48, 48, 48), QColor(35, 35, 35) };
    const QColor textColour(220, 220, 220);
    int wordNo = 0;
    for (const FuseWordInfo& word : fuseMap) {
        QList<FuseFieldInfo> fields;
        for (const FuseFieldInfo& f : word.fields)
            if (f.type != EFuseFieldNone)
                fields.append(f);
        if (fields.isEmpty())
            continue;
        const QColor background = wordColours[wordNo++ % 2];
        const int firstRow = m_table->rowCount();
        int row = firstRow;
        int column = 1;
        auto addRow = [&] {
            m_table->insertRow(row);
            m_table->setRowHeight(row, 40);
            for (int c = 0; c < 5; ++c) {
                auto* item = new QTableWidgetItem;
                item->setBackground(background);
                item->setForeground(textColour);
                m_table->setItem(row, c, item);
            }
        };
        addRow();
        for (const FuseFieldInfo& f : fields) {
            if (column > 4) {
                ++row;
                column = 1;
                addRow();
            }
            QTableWidgetItem* key = m_table->item(row, column);
            key->setData(RoleWord, word.index);
            key->setData(RoleOffset, f.offset);
            key->setData(RoleWidth, f.width);
            key->setData(RoleType, f.type);
            key->setToolTip(f.desc);
            auto* check = new QCheckBox(f.name);
            check->setToolTip(f.desc);
            check->setProperty(RowProperty, row);
            check->setProperty(ValueColumnProperty, column + 1);
            connect(check, &QCheckBox::stateChanged, this, &OTPWordsDlg::slotChkBoxStateChanged);
            m_table->setCellWidget(row, column, check);
            switch (f.type) {
            case EFuseFieldCheck: m_table->item(row, column + 1)->setText(f.desc); break;
            case EFuseFieldInput: {
                auto* edit = new QLineEdit(f.defaultValue);
                edit->setValidator(
                    new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), edit));
                edit->setEnabled(false);
                m_table->setCellWidget(row, column + 1, edit);
                break;
            }
            case EFuseFieldSelect: {
                // Held in a box of its own so that it keeps its size instead of filling the cell.
                auto* holder = new QWidget;
                auto* holderLayout = new QHBoxLayout(holder);
                holderLayout->setContentsMargins(4, 0, 4, 0);
                auto* combo = new QComboBox(holder);
                combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
                for (auto it = f.items.cbegin(); it != f.items.cend(); ++it)
                    combo->addItem(it.value(), it.key());
                combo->setEnabled(false);
                combo->installEventFilter(this);
                holderLayout->addWidget(combo);
                holderLayout->addStretch(1);
                m_table->setCellWidget(row, column + 1, holder);
                break;
            }
            default: showMessage(QMessageBox::Warning, tr("Error"), tr("Type Error in ") + f.name); break;
            }
            column += 2;
        }
        QTableWidgetItem* index = m_table->item(firstRow, 0);
        index->setText(QString::number(word.index));
        index->setTextAlignment(Qt::AlignCenter);
        if (row > firstRow)
            m_table->setSpan(firstRow, 0, row - firstRow + 1, 1);
    }
    // The key columns hold check boxes, which the header's own sizing does not see.
    for (int c : { 1, 3 }) {
        int width = header->sectionSizeHint(c);
        for (int r = 0; r < m_table->rowCount(); ++r)
            if (QWidget* w = m_table->cellWidget(r, c))
                width = qMax(width, w->sizeHint().width() + 12);
        header->setSectionResizeMode(c, QHeaderView::Fixed);
        header->resizeSection(c, width);
    }
}

QWidget* OTPWordsDlg::valueEditor(int row, int column) const
{
    QWidget* cell = m_table->cellWidget(row, column);
    if (!cell || qobject_cast<QLineEdit*>(cell))
        return cell;
    if (auto* combo = cell->findChild<QComboBox*>())
        return combo;
    return cell;
}

void OTPWordsDlg::slotChkBoxStateChanged(int status)
{
    auto* check = qobject_cast<QCheckBox*>(sender());
    if (!check)
        return;
    if (OtpWordsInput::isDangerousField(check->text()) && status == Qt::Checked)
        showMessage(QMessageBox::Warning, tr("Warning"),
            tr("Change '") + check->text()
                + tr("' is dangerous. You should write it only in volume production stage!"));
    const int row = check->property(RowProperty).toInt();
    const int column = check->property(ValueColumnProperty).toInt();
    if (QWidget* editor = valueEditor(row, column))
        editor->setEnabled(status == Qt::Checked);
}

void OTPWordsDlg::slotOkBtnClicked()
{
    const bool accepted = m_tabs->currentIndex() == 0 ? acceptTemplate() : acceptCustom();
    if (accepted)
        accept();
}

void OTPWordsDlg::slotCancelBtnClicked()
{
    reject();
}

bool OTPWordsDlg::acceptTemplate()
{
    QList<OtpWordsInput::FieldSetting> fields;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        for (int column : { 1, 3 }) {
            const QTableWidgetItem* key = m_table->item(row, column);
            auto* check = qobject_cast<QCheckBox*>(m_table->cellWidget(row, column));
            if (!key || !key->data(RoleWord).isValid() || !check || !check->isChecked())
                continue;
            OtpWordsInput::FieldSetting f;
            f.word = key->data(RoleWord).toUInt();
            f.name = check->text();
            f.offsets = key->data(RoleOffset).toString();
            f.width = key->data(RoleWidth).toUInt();
            f.type = key->data(RoleType).toInt();
            QWidget* editor = valueEditor(row, column + 1);
            if (f.type == EFuseFieldCheck)
                f.value = 1;
            else if (auto* edit = qobject_cast<QLineEdit*>(editor); edit && f.type == EFuseFieldInput)
                f.value = fieldNumber(edit->text());
            else if (auto* combo = qobject_cast<QComboBox*>(editor); combo && f.type == EFuseFieldSelect)
                f.value = fieldNumber(combo->currentData().toString());
            fields.append(f);
        }
    }
    QMap<quint32, quint32> words;
    OtpWordsInput::Refusal refusal;
    if (!OtpWordsInput::packFields(fields, words, refusal)) {
        showMessage(QMessageBox::Warning, refusal.title, refusal.text);
        return false;
    }
    for (auto it = words.cbegin(); it != words.cend(); ++it)
        emit signalOTPWordsAdd(it.key(), { it.value() });
    return true;
}

bool OTPWordsDlg::acceptCustom()
{
    quint32 start = 0;
    QVector<quint32> values;
    OtpWordsInput::Refusal refusal;
    const quint32 limit = quint32(SocDatabase::instance().currentSoc().fuseMap.size());
    if (!OtpWordsInput::parseCustom(m_startEdit->text(), m_countEdit->text(), m_wordsEdit->toPlainText(),
            ProjectConfig::instance().otpWords(), limit, start, values, refusal)) {
        const bool error = refusal.title == tr("Error");
        showMessage(error ? QMessageBox::Critical : QMessageBox::Warning, refusal.title, refusal.text);
        return false;
    }
    emit signalOTPWordsAdd(start, values);
    return true;
}

bool OTPWordsDlg::eventFilter(QObject* watched, QEvent* event)
{
    // A wheel over a combo box scrolls the table instead of changing the choice.
    if (event->type() == QEvent::Wheel && qobject_cast<QComboBox*>(watched)) {
        QCoreApplication::sendEvent(m_table->verticalScrollBar(), event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void OTPWordsDlg::showMessage(QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, this);
    box.exec();
}

} // namespace DevelopViews
