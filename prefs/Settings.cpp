// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefs/Settings.h"

#include "prefs/IniText.h"

#include "core/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The file's bytes, or why they cannot be used as the settings ("" when
// they can, or when there is no file yet).
struct Loaded {
    ini::Document document;
    std::string problem;
};

std::string Why(const char* text) { return QCoreApplication::translate("tw::CSettings", text).toStdString(); }

// Reads the file without ever waiting on it or acting on anything else: a
// FIFO, a device or a folder in its place (or a link to one) is refused
// before it is opened (opening a device can act: a tape rewinds), and a
// file past the bound is refused however it grows meanwhile.
Loaded Load()
{
    Loaded loaded;
    const std::string path = QFile::encodeName(StoreFile()).toStdString();
    const auto notRegular = [] { return Why(QT_TRANSLATE_NOOP("tw::CSettings", "it is not a regular file")); };
    const auto tooLarge = [] { return Why(QT_TRANSLATE_NOOP("tw::CSettings", "it is larger than 1 MiB")); };
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            loaded.problem = std::strerror(errno);
        return loaded;
    }
    if (!S_ISREG(st.st_mode)) {
        loaded.problem = notRegular();
        return loaded;
    }
    if (uint64_t(st.st_size) > CSettings::kMaxFileBytes) {
        loaded.problem = tooLarge();
        return loaded;
    }
    // O_NONBLOCK: should a FIFO have taken the file's place since, the
    // open does not wait for a writer, and the check below refuses it.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            loaded.problem = std::strerror(errno);
        return loaded;
    }
    std::string bytes;
    if (fstat(fd, &st) != 0) {
        loaded.problem = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        loaded.problem = notRegular();
    } else {
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                loaded.problem = std::strerror(errno);
                break;
            }
            if (n == 0)
                break;
            bytes.append(buffer, size_t(n));
            if (bytes.size() > CSettings::kMaxFileBytes) {
                loaded.problem = tooLarge();
                break;
            }
        }
    }
    close(fd);
    if (loaded.problem.empty())
        loaded.document = ini::Document(std::move(bytes));
    return loaded;
}

std::string ReadText(const char* section, const std::string& key)
{
    return Load().document.Value(section, key).value_or(std::string());
}

bool WriteText(const char* section, const std::string& key, const std::string& text)
{
    const std::lock_guard<std::mutex> lock(StoreMutex());
    Loaded loaded = Load();
    if (!loaded.problem.empty())
        return false;  // a file that cannot be read is never replaced
    ini::Document& document = loaded.document;
    if (!document.Set(section, key, text))
        return document.Value(section, key) == text;  // already says so, or refused
    if (document.Bytes().size() > CSettings::kMaxFileBytes)
        return false;  // a file the next read would refuse is never written
    const QString file = StoreFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    // The new text replaces the file whole or not at all: a crash in the
    // middle must not leave half a settings file.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const std::string& bytes = document.Bytes();
    out.write(bytes.data(), qint64(bytes.size()));
    return out.commit();
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

bool CSettings::Write(Setting s, const std::string& text)
{
    return WriteText(kSection, SettingName(s), text);
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
    size_t from = 0;
    for (size_t bang = text.find('!'); bang != std::string::npos; bang = text.find('!', from)) {
        items.push_back(text.substr(from, bang - from));
        from = bang + 1;
    }
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
    for (const auto& [key, mount] : Load().document.Values(kDriveLetters)) {
        if (key.size() != 1 || key[0] < 'A' || key[0] > 'Z')
            continue;
        if (!mount.empty())
            letters[key[0]] = mount;
    }
    return letters;
}

bool CSettings::WriteDriveLetter(char letter, const std::string& mountPoint)
{
    return WriteText(kDriveLetters, std::string(1, letter), mountPoint);
}

std::string CSettings::ReadProblem()
{
    const std::string problem = Load().problem;
    if (problem.empty())
        return {};
    return FillText(QCoreApplication::translate("tw::CSettings",
                        "The settings could not be read from %1: %2. Tarnowick uses its default settings "
                        "and leaves that file as it is; changes to the settings are not saved."),
                    {FilePath(), problem});
}

std::string CSettings::FilePath()
{
    return QFile::encodeName(StoreFile()).toStdString();
}

} // namespace tw
