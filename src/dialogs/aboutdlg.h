// The about box: the window title it is given, the version, the credits and
// the folders in use (an installed tool keeps its files in the user's folders).
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
    // The log, settings and data folders, one per line.
    QLabel* foldersLabel() const { return m_foldersLabel; }

private:
    QLabel* m_titleLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_foldersLabel = nullptr;
};
