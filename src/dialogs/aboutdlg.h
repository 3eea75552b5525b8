// The about box: the window title it is given, the version and the credits.
#pragma once

#include <QDialog>

class QLabel;

class AboutDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr const char* Version = "0.5.0";

    explicit AboutDlg(const QString& title, QWidget* parent = nullptr);

    QLabel* titleLabel() const { return m_titleLabel; }
    QLabel* versionLabel() const { return m_versionLabel; }

private:
    QLabel* m_titleLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
};
