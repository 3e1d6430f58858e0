// SPDX-License-Identifier: GPL-3.0-or-later
// The location commands and the preference-driven sweep: which roots are
// swept, in which order, in one pass or in a counting and a deleting pass.
#include "sweep/LocationSweeps.h"

#include "core/Translations.h"
#include "platform/PathInfo.h"
#include "prefs/Settings.h"
#include "sweep/DirectorySweep.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <memory>

namespace tw {

namespace {

struct Location {
    Setting path;
    Setting allFiles;
    const char* notEntered;
    const char* name;
};

// In the order the preference-driven sweep visits them.
constexpr Location kCache{Setting::InternetCachePath, Setting::AllInternetCache, QT_TRANSLATE_NOOP("tw::LocationSweeps", "Internet Cache Path Not Entered"), QT_TRANSLATE_NOOP("tw::LocationSweeps", "Internet Cache Path")};
constexpr Location kTemp{Setting::TemporaryPath, Setting::AllTemporary, QT_TRANSLATE_NOOP("tw::LocationSweeps", "Temporary Path Not Entered"), QT_TRANSLATE_NOOP("tw::LocationSweeps", "Temporary Path")};
constexpr Location kOther{Setting::OtherPath, Setting::AllOther, QT_TRANSLATE_NOOP("tw::LocationSweeps", "Other Path Not Entered"), QT_TRANSLATE_NOOP("tw::LocationSweeps", "Other Path")};
constexpr Location kLocations[] = {kCache, kTemp, kOther};

std::string Words(const char* text) { return QCoreApplication::translate("tw::LocationSweeps", text).toStdString(); }

// Why a location cannot be swept, in words.
std::string RootProblemText(int err)
{
    switch (err) {
    case ENOENT: return Words(QT_TRANSLATE_NOOP("tw::LocationSweeps", "it does not exist"));
    case ENOTDIR: return Words(QT_TRANSLATE_NOOP("tw::LocationSweeps", "it is not a folder"));
    case EACCES:
    case EPERM: return Words(QT_TRANSLATE_NOOP("tw::LocationSweeps", "you may not list it"));
    case ENAMETOOLONG: return Words(QT_TRANSLATE_NOOP("tw::LocationSweeps", "the path is too long"));
    case ELOOP: return Words(QT_TRANSLATE_NOOP("tw::LocationSweeps", "it leads through too many symbolic links"));
    case EINVAL: return Words(QT_TRANSLATE_NOOP("tw::LocationSweeps", "it holds a NUL byte, which no path can hold"));
    default: return std::strerror(err);
    }
}

// A relative path (edited by hand) is taken inside the home directory, as
// the preferences store it: never relative to where the program started.
std::string LocationRoot(const Location& where) { return AbsoluteAgainstHome(CSettings::Read(where.path)); }

// A location that cannot be swept is never a silent "nothing destroyed":
// the user is told which one and why. True when it was so.
bool LocationProblem(Operation& op, const Location& where)
{
    const std::string root = LocationRoot(where);
    const int err = SweepRootError(root);
    if (err) {
        // A NUL is shown where it stands (as the symbol for NUL), not left
        // to end the text there.
        std::string shown;
        for (const char c : root) {
            if (c == '\0')
                shown += "\u2400";
            else
                shown += c;
        }
        op.host.Message(FillText(QCoreApplication::translate("tw::LocationSweeps", "%1 %2 could not be swept: %3."),
                                 {Words(where.name), shown, RootProblemText(err)}));
    }
    return err != 0;
}

int SweepLocation(Operation& op, const Location& where, int mode, IProgress* progress)
{
    // Told once per command: in the pass that destroys, or in the only pass
    // of a dry run or a preview.
    if ((mode != kSweepCounting || op.onMatch) && LocationProblem(op, where))
        return 0;
    return SweepDirectory(op, LocationRoot(where), mode, progress, CSettings::ReadBool(where.allFiles));
}

using SweepFunction = int (*)(Operation&, int, IProgress*);

// One deleting pass, or with "Counter" on a counting pass that sizes the
// progress box and a deleting pass that steps it. The box is owned here so
// that a file error leaving the sweep still takes it away. A dry run makes
// the counting pass alone, with no box.
void RunPasses(Operation& op, SweepFunction sweep)
{
    op.m_bContinue = 1;
    // The journals of the volumes swept are zeroed once, at the end.
    const JournalScrubAtEnd journals(op.m_journals);
    if (op.passes == SweepPasses::CountOnly) {
        sweep(op, kSweepCounting, nullptr);
        return;
    }
    if (op.passes != SweepPasses::Counted && !CSettings::ReadBool(Setting::Counter)) {
        sweep(op, kSweepDeleting, nullptr);
        return;
    }
    const std::unique_ptr<IProgress> box = op.host.CreateProgress();
    box->ShowScanning();
    const int n = sweep(op, kSweepCounting, nullptr);
    box->SetRange(n);
    box->ShowDeleting();
    sweep(op, kSweepDeleting, box.get());
}

void SecureDeleteLocation(Operation& op, const Location& where, SweepFunction sweep)
{
    if (CSettings::Read(where.path).empty()) {
        op.host.Message(QCoreApplication::translate("tw::LocationSweeps", where.notEntered).toStdString());
        op.m_bEndedBeforeStart = true;
        return;
    }
    // A location that cannot be swept is told before any pass begins: the
    // command then did not run.
    if (LocationProblem(op, where)) {
        op.m_bEndedBeforeStart = true;
        return;
    }
    RunPasses(op, sweep);
}

int SweepDrives(Operation& op, int mode, IProgress* progress)
{
    std::string list = CSettings::Read(Setting::Drives);
    const CurrentDriveKeeper keeper(op.drives);
    int total = 0;
    std::string entry;
    while (op.m_bContinue && CSettings::NextListItem(list, entry)) {
        if (entry.empty())
            continue;
        // The letter's code less 64: A is 1. A lower-case letter gives a
        // number past Z and is refused like a drive that is not mounted.
        const int drive = static_cast<unsigned char>(entry[0]) - 64;
        if (op.drives.ChangeDrive(drive) != 0) {
            op.host.Message(entry + QCoreApplication::translate("tw::LocationSweeps", " Not Accessible").toStdString());
            continue;
        }
        total += SweepCurrentDrive(op, mode, progress);
    }
    return total;
}

} // namespace

int SweepCache(Operation& op, int mode, IProgress* progress) { return SweepLocation(op, kCache, mode, progress); }
int SweepTemp(Operation& op, int mode, IProgress* progress) { return SweepLocation(op, kTemp, mode, progress); }
int SweepOther(Operation& op, int mode, IProgress* progress) { return SweepLocation(op, kOther, mode, progress); }

int SweepCurrentDrive(Operation& op, int mode, IProgress* progress)
{
    return SweepDirectory(op, "", mode, progress, false);
}

int SweepByPreferences(Operation& op, int mode, IProgress* progress)
{
    if (CSettings::ReadBool(Setting::All))
        return SweepDrives(op, mode, progress);
    // Unset locations are skipped without a word: this command sweeps
    // whatever the preferences name, which may be nothing.
    int total = 0;
    for (const Location& where : kLocations) {
        if (!op.m_bContinue)
            break;
        if (CSettings::Read(where.path).empty())
            continue;
        total += SweepLocation(op, where, mode, progress);
    }
    return total;
}

void SecureDeleteCache(Operation& op) { SecureDeleteLocation(op, kCache, SweepCache); }
void SecureDeleteTemp(Operation& op) { SecureDeleteLocation(op, kTemp, SweepTemp); }
void SecureDeleteOther(Operation& op) { SecureDeleteLocation(op, kOther, SweepOther); }
void SecureDeleteByPreferences(Operation& op) { RunPasses(op, SweepByPreferences); }

} // namespace tw
