// Semi-transparent overlay over the whole window while a run or a write is in
// progress: logo, step text and a bar (determinate or busy).
#pragma once

#include "records.h"

#include <QWidget>

class QLabel;

namespace DevelopViews {

class ProgressWidget;

class LoadingWidget : public QWidget
{
    Q_OBJECT
public:
    explicit LoadingWidget(QWidget* parent = nullptr);

    void setShowProgress(bool isShowProgress);
    bool isShowProgress() const { return m_showProgress; }

    QLabel* stepLabel() const { return m_stepLabel; }
    ProgressWidget* progressWidget() const { return m_progress; }

public slots:
    void slotTaskInfoUpdated(QString id, DownloadTaskInfo taskInfo);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    QLabel* m_stepLabel = nullptr;
    ProgressWidget* m_progress = nullptr;
    bool m_showProgress = false;
    bool m_waitText = false; // busy mode chosen: the step label asks to wait
    bool m_hasTaskInfo = false;
    DownloadTaskInfo m_lastInfo;
};

} // namespace DevelopViews
