// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > "Preferences": the settings go into the dialog when it opens and
// come back only when the user presses OK.
#include "app/CMainFrame.h"

#include "app/ModalSeam.h"
#include "prefs/CPreferences.h"
#include "prefs/Settings.h"

namespace tw {

namespace {
QString Text(Setting s) { return QString::fromStdString(CSettings::Read(s)); }
int Flag(Setting s) { return CSettings::ReadBool(s) ? 1 : 0; }
void Store(Setting s, const QString& text) { CSettings::Write(s, text.toStdString()); }
} // namespace

void CMainFrame::OnPreferences()
{
    CPreferences dlg(*m_drives, this);
    dlg.m_strCachePath = Text(Setting::InternetCachePath);
    dlg.m_strTempPath = Text(Setting::TemporaryPath);
    dlg.m_strOtherPath = Text(Setting::OtherPath);
    dlg.m_bSubdirectories = Flag(Setting::Subdirectories);
    dlg.m_bAllDirectories = Flag(Setting::All);
    dlg.m_bTheseDirectories = dlg.m_bAllDirectories ? 0 : 1;
    dlg.m_strFileType = Text(Setting::FileTypes);
    dlg.m_bAllCache = Flag(Setting::AllInternetCache);
    dlg.m_bAllTemp = Flag(Setting::AllTemporary);
    dlg.m_bAllOther = Flag(Setting::AllOther);
    dlg.m_strDrives = Text(Setting::Drives);

    if (RunModal(dlg) != QDialog::Accepted)
        return;

    // All ten, changed or not, so that every switch exists afterwards.
    Store(Setting::InternetCachePath, dlg.m_strCachePath);
    Store(Setting::TemporaryPath, dlg.m_strTempPath);
    Store(Setting::OtherPath, dlg.m_strOtherPath);
    CSettings::WriteBool(Setting::Subdirectories, dlg.m_bSubdirectories != 0);
    CSettings::WriteBool(Setting::All, dlg.m_bAllDirectories != 0);
    Store(Setting::FileTypes, dlg.m_strFileTypes);
    CSettings::WriteBool(Setting::AllInternetCache, dlg.m_bAllCache != 0);
    CSettings::WriteBool(Setting::AllTemporary, dlg.m_bAllTemp != 0);
    CSettings::WriteBool(Setting::AllOther, dlg.m_bAllOther != 0);
    Store(Setting::Drives, dlg.m_strDrives);
}

} // namespace tw
