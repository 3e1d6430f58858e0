// SPDX-License-Identifier: GPL-3.0-or-later
// Drive letters for mounted volumes. "/" is C; every other volume gets the
// lowest free letter from D up the first time it is seen and keeps it in the
// settings, so that "Drives" and "Drives2" go on naming the same volume.
#include "prefs/CDriveTable.h"

#include "platform/Volumes.h"
#include "prefs/Settings.h"

#include <QString>

#include <algorithm>
#include <map>
#include <set>

namespace tw {

namespace {

constexpr char kRootLetter = 'C';
constexpr char kFirstFreeLetter = 'D';  // A and B are only ever given by hand

// True when `dir` is `root` or lies below it.
bool Contains(const std::string& root, const std::string& dir)
{
    if (root == "/")
        return !dir.empty() && dir[0] == '/';
    return dir.compare(0, root.size(), root) == 0 && (dir.size() == root.size() || dir[root.size()] == '/');
}

} // namespace

CDriveTable::CDriveTable(std::string mountinfo, std::string sysRoot)
    : m_mountinfo(std::move(mountinfo)), m_sysRoot(std::move(sysRoot))
{
}

std::string CDriveTable::StoredName(const std::string& mountPoint)
{
    const QByteArray bytes(mountPoint.data(), qsizetype(mountPoint.size()));
    const bool utf8 = QString::fromUtf8(bytes).toUtf8() == bytes;
    std::string out;
    for (const char c : mountPoint) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || (!utf8 && byte >= 0x80)) {
            const char escaped[] = {'\\', char('0' + (byte >> 6)), char('0' + ((byte >> 3) & 7)), char('0' + (byte & 7))};
            out.append(escaped, sizeof escaped);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::vector<DriveInfo> CDriveTable::ListDrives()
{
    std::lock_guard lock(m_mutex);
    return ListDrivesLocked();
}

std::vector<DriveInfo> CDriveTable::ListDrivesLocked()
{
    const std::vector<Volume> volumes = ListLocalVolumes(m_mountinfo, m_sysRoot);

    // Every stored letter stays taken, mounted or not: a stick that is out
    // today keeps its letter for when it comes back.
    std::map<std::string, char> letterOf;
    std::set<char> taken = {kRootLetter};
    for (const auto& [letter, stored] : CSettings::ReadDriveLetters()) {
        taken.insert(letter);
        if (letter != kRootLetter && stored != "/")
            letterOf.emplace(stored, letter);  // two letters for one place: the lower one counts
    }

    std::vector<DriveInfo> drives;
    for (const Volume& v : volumes) {
        char letter = 0;
        if (v.mountPoint == "/") {
            letter = kRootLetter;
        } else {
            const std::string name = StoredName(v.mountPoint);
            if (const auto it = letterOf.find(name); it != letterOf.end()) {
                letter = it->second;
            } else {
                for (char l = kFirstFreeLetter; l <= 'Z'; ++l)
                    if (!taken.count(l)) {
                        letter = l;
                        break;
                    }
                if (!letter)
                    continue;  // all 23 letters taken: this volume has none
                taken.insert(letter);
                letterOf.emplace(name, letter);
                CSettings::WriteDriveLetter(letter, name);
            }
        }
        drives.push_back(DriveInfo{letter, v.mountPoint, v.removable});
    }
    std::sort(drives.begin(), drives.end(), [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; });
    return drives;
}

void CDriveTable::SettleCurrentLocked()
{
    if (m_bSettled)
        return;
    m_bSettled = true;
    // The drive that holds the directory the program was started in, as a
    // program started on D: begins on D:.
    const std::string cwd = CurrentDirectory();
    size_t bestLength = 0;
    for (const DriveInfo& d : ListDrivesLocked())
        if (Contains(d.root, cwd) && d.root.size() >= bestLength) {
            bestLength = d.root.size();
            m_nCurrent = d.letter - '@';
            m_strCurrentRoot = d.root;
        }
}

int CDriveTable::GetDrive()
{
    std::lock_guard lock(m_mutex);
    SettleCurrentLocked();
    return m_nCurrent;
}

int CDriveTable::ChangeDrive(int n)
{
    std::lock_guard lock(m_mutex);
    SettleCurrentLocked();
    if (n < 1 || n > 26)
        return -1;
    for (const DriveInfo& d : ListDrivesLocked())
        if (d.letter - '@' == n) {
            m_nCurrent = n;
            m_strCurrentRoot = d.root;
            return 0;
        }
    return -1;
}

std::string CDriveTable::CurrentRoot()
{
    std::lock_guard lock(m_mutex);
    SettleCurrentLocked();
    // A volume unmounted since it became current leaves a plain directory
    // of another volume at its mount point: that is not this drive, and
    // nothing there may be taken for it.
    for (const DriveInfo& d : ListDrivesLocked())
        if (d.letter - '@' == m_nCurrent && d.root == m_strCurrentRoot)
            return m_strCurrentRoot;
    return {};
}

} // namespace tw
