// Stand-in for the Krel configuration tab until it lands: a page with the two
// signals the central widget relays. CentralWidget::createKrelTab() is the one
// place that makes it.
#pragma once

#include "records.h"

#include <QList>
#include <QPair>
#include <QWidget>

class QLabel;

namespace DevelopViews {

class KrelTabPlaceholder : public QWidget
{
    Q_OBJECT
public:
    explicit KrelTabPlaceholder(QWidget* parent = nullptr);

signals:
    void signalAddLogs(QString log, LogLevel level);
    void signalWriteConfigRun(int type, QList<QPair<QString, QString>> srcPathList, QString desPath);

protected:
    void changeEvent(QEvent* event) override;

private:
    QLabel* m_label = nullptr;
};

} // namespace DevelopViews
