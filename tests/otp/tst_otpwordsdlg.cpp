// The OTP words dialog as a user meets it: the Template table built from the fuse
// map, the dangerous-field warning, the words emitted on Ok, the refusals that keep
// it open, the Custom page and the edit constructor.
#include "otptestenv.h"
#include "otpwordsdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QWheelEvent>
#include <QtTest>

using DevelopViews::OTPWordsDlg;
using namespace OtpTest;

namespace {

class Dlg : public OTPWordsDlg
{
public:
    using OTPWordsDlg::OTPWordsDlg;
    QList<Shown> shown;

protected:
    void showMessage(QMessageBox::Icon icon, const QString& title, const QString& text) override
    {
        shown.append({ int(icon), title, text });
    }
};

QCheckBox* checkBox(OTPWordsDlg& dlg, const QString& name, int* row = nullptr, int* column = nullptr)
{
    QTableWidget* t = dlg.templateTable();
    for (int r = 0; r < t->rowCount(); ++r)
        for (int c : { 1, 3 })
            if (auto* box = qobject_cast<QCheckBox*>(t->cellWidget(r, c)); box && box->text() == name) {
                if (row)
                    *row = r;
                if (column)
                    *column = c;
                return box;
            }
    return nullptr;
}

template <typename W> W* editorOf(OTPWordsDlg& dlg, const QString& name)
{
    int r = 0, c = 0;
    if (!checkBox(dlg, name, &r, &c))
        return nullptr;
    QWidget* cell = dlg.templateTable()->cellWidget(r, c + 1);
    if (auto* w = qobject_cast<W*>(cell))
        return w;
    return cell ? cell->findChild<W*>() : nullptr;
}

QList<QPair<quint32, QVector<quint32>>> emitted(const QSignalSpy& spy)
{
    QList<QPair<quint32, QVector<quint32>>> out;
    for (const auto& args : spy)
        out.append({ args[0].value<uint32_t>(), args[1].value<QVector<uint32_t>>() });
    return out;
}

} // namespace

class TestOtpWordsDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppDir> m_app;

private slots:
    void init() { m_app = std::make_unique<AppDir>(); }
    void cleanup() { m_app.reset(); }

    void templateTableFromTheFuseMap()
    {
        Dlg dlg;
        QCOMPARE(dlg.tabs()->currentIndex(), 0);
        QTableWidget* t = dlg.templateTable();
        // Word 1: three fields in two rows; word 2: one; words with only "none" fields are left out.
        QCOMPARE(t->rowCount(), 3);
        QCOMPARE(t->item(0, 0)->text(), QStringLiteral("1"));
        QCOMPARE(t->rowSpan(0, 0), 2);
        QCOMPARE(t->item(2, 0)->text(), QStringLiteral("2"));
        int r = 0, c = 0;
        QCheckBox* life = checkBox(dlg, "LIFE_CYCLE", &r, &c);
        QVERIFY(life);
        QCOMPARE(r * 10 + c, 1);
        QCOMPARE(life->toolTip(), QStringLiteral("Life cycle state"));
        auto* combo = editorOf<QComboBox>(dlg, "LIFE_CYCLE");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(2), QStringLiteral("RETURN")); // "17" sorts before "3"
        QVERIFY(!combo->isEnabled());
        QVERIFY(checkBox(dlg, "DEBUG_DISABLE", &r, &c));
        QCOMPARE(r * 10 + c, 11);
        checkBox(dlg, "JTAG_DISABLE", &r, &c);
        QCOMPARE(t->item(r, c + 1)->text(), QStringLiteral("Disable the JTAG port"));
        auto* edit = editorOf<QLineEdit>(dlg, "KEY_REVOKE");
        QCOMPARE(edit->text(), QStringLiteral("0"));
        QVERIFY(!edit->isEnabled());
    }

    void dangerousFieldWarnsWhenChecked()
    {
        Dlg dlg;
        QCheckBox* life = checkBox(dlg, "LIFE_CYCLE");
        life->setChecked(true);
        QCOMPARE(dlg.shown.size(), 1);
        QCOMPARE(dlg.shown[0].title, QStringLiteral("Warning"));
        QCOMPARE(dlg.shown[0].text,
            QStringLiteral("Change 'LIFE_CYCLE' is dangerous. You should write it only in volume production stage!"));
        QVERIFY(editorOf<QComboBox>(dlg, "LIFE_CYCLE")->isEnabled());
        life->setChecked(false);
        QCOMPARE(dlg.shown.size(), 1);
        QVERIFY(!editorOf<QComboBox>(dlg, "LIFE_CYCLE")->isEnabled());
        checkBox(dlg, "KEY_REVOKE")->setChecked(true);
        QCOMPARE(dlg.shown.size(), 1);
        QVERIFY(editorOf<QLineEdit>(dlg, "KEY_REVOKE")->isEnabled());
    }

    void templateOk_data()
    {
        QTest::addColumn<QStringList>("checks");
        QTest::addColumn<QString>("lifeCycle");
        QTest::addColumn<QString>("keyRevoke");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("words"); // "index=0x..." joined by blanks
        QTest::newRow("LIFE_CYCLE 3") << QStringList { "LIFE_CYCLE" } << "RETURN"
                                      << ""
                                      << ""
                                      << "1=0x30000003";
        QTest::newRow("input 16") << QStringList { "KEY_REVOKE" } << ""
                                  << "16"
                                  << "Input value greater than the threshold! key: KEY_REVOKE bit width: 4"
                                  << "";
    }
    void templateOk()
    {
        QFETCH(QStringList, checks);
        QFETCH(QString, lifeCycle);
        QFETCH(QString, keyRevoke);
        QFETCH(QString, refusal);
        QFETCH(QString, words);
        Dlg dlg;
        QSignalSpy spy(&dlg, &OTPWordsDlg::signalOTPWordsAdd);
        for (const QString& name : checks)
            checkBox(dlg, name)->setChecked(true);
        if (!lifeCycle.isEmpty()) {
            auto* combo = editorOf<QComboBox>(dlg, "LIFE_CYCLE");
            combo->setCurrentIndex(combo->findText(lifeCycle));
        }
        if (!keyRevoke.isEmpty())
            editorOf<QLineEdit>(dlg, "KEY_REVOKE")->setText(keyRevoke);
        dlg.shown.clear();
        dlg.slotOkBtnClicked();
        QCOMPARE(dlg.result() == QDialog::Accepted, refusal.isEmpty());
        QStringList seen;
        for (const auto& run : emitted(spy)) {
            QCOMPARE(run.second.size(), 1);
            seen << QStringLiteral("%1=0x%2").arg(run.first).arg(run.second[0], 8, 16, QLatin1Char('0'));
        }
        QCOMPARE(seen.join(' '), words);
        if (!refusal.isEmpty()) {
            QCOMPARE(dlg.shown.size(), 1);
            QCOMPARE(dlg.shown[0].title, QStringLiteral("Error"));
            QCOMPARE(dlg.shown[0].text, refusal);
        }
    }

    void customPage()
    {
        ProjectConfig::instance().setOtpWords({ { 20, { 1, 2, 3, 4 } } });
        Dlg dlg;
        QSignalSpy spy(&dlg, &OTPWordsDlg::signalOTPWordsAdd);
        dlg.tabs()->setCurrentIndex(1);
        QCOMPARE(dlg.startEdit()->placeholderText(), QStringLiteral("Decimal or hexadecimal number"));
        dlg.startEdit()->setText("22");
        dlg.countEdit()->setText("1");
        dlg.wordsEdit()->setPlainText("0x00000001");
        dlg.slotOkBtnClicked();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.shown.size(), 1);
        QCOMPARE(dlg.shown[0].icon, int(QMessageBox::Critical));
        QCOMPARE(dlg.shown[0].text, QStringLiteral("The range is duplicated with start address: 20"));
        QCOMPARE(dlg.startEdit()->text(), QStringLiteral("22")); // input untouched
        dlg.startEdit()->setText("0x10");
        dlg.countEdit()->setText("2");
        dlg.wordsEdit()->setPlainText("0x00000001,0x00000002");
        dlg.slotOkBtnClicked();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(emitted(spy), (QList<QPair<quint32, QVector<quint32>>> { { 16, { 1, 2 } } }));
    }

    void wheelOverAComboChangesNothing()
    {
        Dlg dlg;
        checkBox(dlg, "LIFE_CYCLE")->setChecked(true);
        auto* combo = editorOf<QComboBox>(dlg, "LIFE_CYCLE");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const int before = combo->currentIndex();
        QWheelEvent wheel(QPointF(5, 5), combo->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(combo, &wheel);
        QCOMPARE(combo->currentIndex(), before);
    }
};

QTEST_MAIN(TestOtpWordsDlg)
#include "tst_otpwordsdlg.moc"
