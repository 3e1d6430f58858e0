// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CAboutDlg.h"
#include "app/ThemeIcons.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef TARNOWICK_VERSION
#define TARNOWICK_VERSION "1.0"
#endif

namespace tw {

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("About Tarnowick Secure Delete"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto* layout = new QHBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("IDR_MAINFRAME"));
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    layout->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    auto* version = new QLabel(tr("Tarnowick Version %1").arg(QStringLiteral(TARNOWICK_VERSION)), this);
    version->setObjectName(QStringLiteral("version"));
    texts->addWidget(version);
    texts->addWidget(new QLabel(tr("Made by the Tarnowick developers."), this));
    texts->addWidget(new QLabel(tr("Free software under the GNU General Public License, version 3 or later.\n"
                                   "It comes with no warranty: check what it destroys before you start it."), this));
    layout->addLayout(texts);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignTop);
    setFixedSize(sizeHint());
}

} // namespace tw
