// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefs/CSelectDrives.h"

#include "core/CommandIds.h"
#include "help/DialogHelp.h"
#include "help/HelpContent.h"
#include "prefs/CDriveTree.h"
#include "prefs/Settings.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

namespace {
QString FromSetting(Setting s)
{
    const std::string text = CSettings::Read(s);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
} // namespace

CSelectDrives::CSelectDrives(IDriveTable& drives, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Tarnowick Select Drives"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* layout = new QVBoxLayout(this);
    m_treeDrives = new CDriveTree(this);
    m_treeDrives->setObjectName(QStringLiteral("IDC_DRIVE_TREE"));
    m_treeDrives->setMinimumSize(220, 160);
    layout->addWidget(m_treeDrives);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CSelectDrives::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CSelectDrives::reject);
    layout->addWidget(m_buttons);
    InstallContextHelp(this, kSelectDrivesDialogId,
                       {{m_treeDrives, 1055}, {m_buttons->button(QDialogButtonBox::Ok), IDOK},
                        {m_buttons->button(QDialogButtonBox::Cancel), IDCANCEL}});

    const QString drives2 = FromSetting(Setting::Drives2);
    m_strDrives = drives2.isEmpty() ? FromSetting(Setting::Drives) : drives2;
    m_treeDrives->Fill(m_strDrives, drives);
    m_treeDrives->setFocus();
    if (m_treeDrives->topLevelItemCount() > 0)
        m_treeDrives->setCurrentItem(m_treeDrives->topLevelItem(0));
}

void CSelectDrives::accept()
{
    m_strDrives = m_treeDrives->Collect();
    const QByteArray text = m_strDrives.toUtf8();
    CSettings::Write(Setting::Drives2, std::string(text.constData(), size_t(text.size())));
    QDialog::accept();
}

void CSelectDrives::reject() { done(IDCANCEL); }

} // namespace tw
