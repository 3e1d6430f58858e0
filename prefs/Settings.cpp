// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefs/Settings.h"

#include "prefs/IniText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <fstream>
#include <iterator>
#include <mutex>

namespace tw {

namespace {

const char kSection[] = "Settings";
const char kDriveLetters[] = "Drive Letters";

// Writes come from the window and from a command's worker thread; each is a
// read, a change of one line and a rewrite of the file.
std::mutex& StoreMutex()
{
    static std::mutex mutex;
    return mutex;
}

QString StoreFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Halmere/Tarnowick.conf");
}

ini::Document Load()
{
    std::ifstream in(QFile::encodeName(StoreFile()).toStdString(), std::ios::binary);
    return ini::Document(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

std::string ReadText(const char* section, const std::string& key)
{
    return Load().Value(section, key).value_or(std::string());
}

void WriteText(const char* section, const std::string& key, const std::string& text)
{
    const std::lock_guard<std::mutex> lock(StoreMutex());
    ini::Document document = Load();
    if (!document.Set(section, key, text))
        return;  // the file already says so: not a byte of it changes
    const QString file = StoreFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    // The new text replaces the file whole or not at all: a crash in the
    // middle must not leave half a settings file.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return;
    const std::string& bytes = document.Bytes();
    out.write(bytes.data(), qint64(bytes.size()));
    out.commit();
}

} // namespace

const std::vector<SettingInfo>& SettingTable()
{
    static const std::vector<SettingInfo> table = {
        {Setting::InternetCachePath, "Internet Cache Path", SettingKind::Path},
        {Setting::TemporaryPath, "Temporary Path", SettingKind::Path},
        {Setting::OtherPath, "Other Path", SettingKind::Path},
        {Setting::Subdirectories, "Subdirectories", SettingKind::Boolean},
        {Setting::All, "All", SettingKind::Boolean},
        {Setting::FileTypes, "File Types", SettingKind::List},
        {Setting::AllInternetCache, "All Internet Cache", SettingKind::Boolean},
        {Setting::AllTemporary, "All Temporary", SettingKind::Boolean},
        {Setting::AllOther, "All Other", SettingKind::Boolean},
        {Setting::Drives, "Drives", SettingKind::List},
        {Setting::Drives2, "Drives2", SettingKind::List},
        {Setting::Counter, "Counter", SettingKind::Boolean},
        {Setting::InitialDirectory, "Initial Directory", SettingKind::Path},
    };
    return table;
}

const char* SettingName(Setting s)
{
    for (const SettingInfo& info : SettingTable())
        if (info.setting == s)
            return info.name;
    return "";
}

std::string CSettings::Read(Setting s)
{
    return ReadText(kSection, SettingName(s));
}

void CSettings::Write(Setting s, const std::string& text)
{
    WriteText(kSection, SettingName(s), text);
}

bool CSettings::NextListItem(std::string& list, std::string& item)
{
    const size_t bang = list.find('!');
    if (bang == std::string::npos)
        return false;
    item = list.substr(0, bang);
    list.erase(0, bang + 1);
    return true;
}

std::vector<std::string> CSettings::DecodeList(const std::string& text)
{
    std::vector<std::string> items;
    std::string rest = text, item;
    while (NextListItem(rest, item))
        items.push_back(item);
    return items;
}

std::string CSettings::EncodeList(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items)
        text += item + "!";
    return text;
}

std::map<char, std::string> CSettings::ReadDriveLetters()
{
    std::map<char, std::string> letters;
    const ini::Document document = Load();
    for (const std::string& key : document.Keys(kDriveLetters)) {
        if (key.size() != 1 || key[0] < 'A' || key[0] > 'Z')
            continue;
        const std::string mount = document.Value(kDriveLetters, key).value_or(std::string());
        if (!mount.empty())
            letters[key[0]] = mount;
    }
    return letters;
}

void CSettings::WriteDriveLetter(char letter, const std::string& mountPoint)
{
    WriteText(kDriveLetters, std::string(1, letter), mountPoint);
}

std::string CSettings::FilePath()
{
    return QFile::encodeName(StoreFile()).toStdString();
}

} // namespace tw
