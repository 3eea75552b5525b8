#include "aboutdlg.h"

#include "apppaths.h"
#include "dialogresources.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutDlg::AboutDlg(const QString& title, QWidget* parent) : QDialog(parent)
{
    initDialogResources();
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(tr("About"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(24, 24, 24, 16);
    outer->setSpacing(24);

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/dialogs/about_logo")).pixmap(QSize(96, 96)));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    outer->addWidget(icon);

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    m_titleLabel = new QLabel(title, this);
    m_titleLabel->setObjectName(QStringLiteral("AboutTitle"));
    QFont big = m_titleLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    m_titleLabel->setFont(big);
    column->addWidget(m_titleLabel);
    m_versionLabel = new QLabel(tr("Version: %1").arg(QString::fromLatin1(Version)), this);
    column->addWidget(m_versionLabel);
    column->addSpacing(8);
    column->addWidget(new QLabel(tr("Copyright (C) Veltrix. This software is the property of Veltrix."), this));
    column->addWidget(new QLabel(tr("All rights reserved"), this));
    column->addWidget(new QLabel(tr("Built with Qt %1 (running on Qt %2).")
                                     .arg(QStringLiteral(QT_VERSION_STR), QString::fromLatin1(qVersion())),
        this));
    column->addWidget(new QLabel(tr("Icons and logo drawn for this tool."), this));
    column->addSpacing(8);
    m_foldersLabel = new QLabel(tr("Log folder: %1\nSettings folder: %2\nData folder: %3")
                                    .arg(QDir::toNativeSeparators(AppPaths::logDir()),
                                        QDir::toNativeSeparators(AppPaths::configDir()),
                                        QDir::toNativeSeparators(AppPaths::dataDir())),
        this);
    m_foldersLabel->setObjectName(QStringLiteral("AboutFolders"));
    // Selectable: users paste these paths into bug reports.
    m_foldersLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(m_foldersLabel);
    column->addStretch(1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    column->addWidget(buttons);
    outer->addLayout(column, 1);
}
