#include "plaintextbrowser.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextStream>

namespace DevelopViews {

PlainTextBrowser::PlainTextBrowser(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setMaximumBlockCount(MaxLines);
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] {
        flushBatch(BatchLines);
        if (!m_pending.empty())
            m_flushTimer.start();
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
        [this](int value) { m_follow = value == verticalScrollBar()->maximum(); });
    connect(this, &QPlainTextEdit::textChanged, this, &PlainTextBrowser::followEnd);
    // The range grows after the text has changed; keep the new end in view.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this](int, int max) {
        if (m_follow)
            verticalScrollBar()->setValue(max);
    });
}

void PlainTextBrowser::appendLine(const QString& line, const QColor& colour)
{
    m_pending.push_back({line, colour});
    // Lines beyond the view's bound would be dropped at once: drop them unseen.
    if (m_pending.size() > size_t(MaxLines))
        m_pending.pop_front();
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void PlainTextBrowser::flushPending()
{
    m_flushTimer.stop();
    flushBatch(int(m_pending.size()));
}

void PlainTextBrowser::flushBatch(int maxLines)
{
    const int n = qMin(maxLines, int(m_pending.size()));
    if (n <= 0)
        return;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    QTextCharFormat format;
    bool first = document()->isEmpty();
    for (int i = 0; i < n; ++i) {
        const Pending& p = m_pending[size_t(i)];
        format.setForeground(p.colour);
        if (!first)
            cursor.insertBlock(QTextBlockFormat(), format);
        first = false;
        cursor.insertText(p.text, format);
    }
    cursor.endEditBlock();
    m_pending.erase(m_pending.begin(), m_pending.begin() + n);
}

void PlainTextBrowser::followEnd()
{
    if (m_follow)
        moveCursor(QTextCursor::End);
}

void PlainTextBrowser::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    followEnd();
}

void PlainTextBrowser::slotClear()
{
    m_flushTimer.stop();
    m_pending.clear();
    clear();
    m_follow = true;
}

bool PlainTextBrowser::saveTo(const QString& path, QString* error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QString text = toPlainText();
    for (const Pending& p : m_pending)
        text += QLatin1Char('\n') + p.text;
    file.write(text.toUtf8());
    file.write("\n");
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

void PlainTextBrowser::slotSaveAs()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save Log"), QDir::homePath() + QStringLiteral("/krel_log.txt"), tr("Text (*.txt *.log)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!saveTo(path, &error))
        QMessageBox::warning(this, tr("Save Log"), tr("Cannot save the log to %1: %2").arg(path, error));
}

void PlainTextBrowser::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu(event->pos());
    menu->addSeparator();
    QAction* clearAction = menu->addAction(tr("Clear"), this, &PlainTextBrowser::slotClear);
    clearAction->setEnabled(!document()->isEmpty() || !m_pending.empty());
    menu->addAction(tr("Save As..."), this, &PlainTextBrowser::slotSaveAs);
    menu->exec(event->globalPos());
    delete menu;
}

} // namespace DevelopViews
