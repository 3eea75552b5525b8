// Read-only text view of the log dock. It follows the end of its text while
// the user has not scrolled away, takes lines in batches so that tens of
// thousands of lines do not stall the window, and keeps a bounded number of
// lines (the log file keeps everything).
#pragma once

#include <QColor>
#include <QPlainTextEdit>
#include <QTimer>
#include <deque>

namespace DevelopViews {

class PlainTextBrowser : public QPlainTextEdit
{
    Q_OBJECT
public:
    // Lines kept in the view.
    static constexpr int MaxLines = 20000;
    // Lines added per turn of the event loop.
    static constexpr int BatchLines = 500;

    explicit PlainTextBrowser(QWidget* parent = nullptr);

    // Queues a line; it appears within one turn of the event loop.
    void appendLine(const QString& line, const QColor& colour);
    // Adds every queued line now.
    void flushPending();
    int pendingCount() const { return int(m_pending.size()); }
    bool isFollowing() const { return m_follow; }

    // Writes the whole view as plain text; false with *error set on failure.
    bool saveTo(const QString& path, QString* error = nullptr) const;

public slots:
    void slotClear();
    void slotSaveAs();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Pending
    {
        QString text;
        QColor colour;
    };
    void flushBatch(int maxLines);
    void followEnd();

    std::deque<Pending> m_pending;
    QTimer m_flushTimer;
    bool m_follow = true;
};

} // namespace DevelopViews
