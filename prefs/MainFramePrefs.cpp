// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > "Preferences": the settings go into the dialog when it opens and
// come back only when the user presses OK.
#include "app/CMainFrame.h"

#include "app/CGuiHost.h"
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
    // The paths go in as bytes, so that one that is not UTF-8 comes back
    // exactly as it was unless the user changes it.
    dlg.m_bytesCachePath = CSettings::Read(Setting::InternetCachePath);
    dlg.m_bytesTempPath = CSettings::Read(Setting::TemporaryPath);
    dlg.m_bytesOtherPath = CSettings::Read(Setting::OtherPath);
    dlg.m_strCachePath = ShowText(dlg.m_bytesCachePath);
    dlg.m_strTempPath = ShowText(dlg.m_bytesTempPath);
    dlg.m_strOtherPath = ShowText(dlg.m_bytesOtherPath);
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
    CSettings::Write(Setting::InternetCachePath, dlg.m_bytesCachePath);
    CSettings::Write(Setting::TemporaryPath, dlg.m_bytesTempPath);
    CSettings::Write(Setting::OtherPath, dlg.m_bytesOtherPath);
    CSettings::WriteBool(Setting::Subdirectories, dlg.m_bSubdirectories != 0);
    CSettings::WriteBool(Setting::All, dlg.m_bAllDirectories != 0);
    Store(Setting::FileTypes, dlg.m_strFileTypes);
    CSettings::WriteBool(Setting::AllInternetCache, dlg.m_bAllCache != 0);
    CSettings::WriteBool(Setting::AllTemporary, dlg.m_bAllTemp != 0);
    CSettings::WriteBool(Setting::AllOther, dlg.m_bAllOther != 0);
    Store(Setting::Drives, dlg.m_strDrives);
}

} // namespace tw
