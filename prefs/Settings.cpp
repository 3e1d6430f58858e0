// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefs/Settings.h"

#include <QFile>
#include <QSettings>
#include <QStringList>

namespace tw {

namespace {

const char kSection[] = "Settings";
const char kDriveLetters[] = "Drive Letters";

QSettings OpenStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QStringLiteral("Halmere"), QStringLiteral("Tarnowick"));
}

QString FromBytes(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
std::string ToBytes(const QString& s) { const QByteArray b = s.toUtf8(); return std::string(b.constData(), size_t(b.size())); }

// QSettings writes a key with blanks as "Internet%20Cache%20Path".
QString UnescapeKey(const QByteArray& raw)
{
    QByteArray out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size()) {
            bool ok = false;
            const int c = raw.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(c));
                i += 2;
                continue;
            }
        }
        out.append(raw[i]);
    }
    return QString::fromUtf8(out);
}

// A hand-edited value with an unquoted comma is parsed by QSettings as a
// list. The store is a text store, so such a value is read as the text that
// stands in the file.
std::string ReadRawValue(const QString& file, const QString& group, const QString& key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    bool inGroup = false;
    std::string found;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            inGroup = UnescapeKey(line.mid(1, line.size() - 2)) == group;
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        if (UnescapeKey(line.left(eq).trimmed()) == key) {
            const QByteArray value = line.mid(eq + 1).trimmed();
            found.assign(value.constData(), size_t(value.size()));
        }
    }
    return found;
}

std::string ReadText(const QString& group, const QString& key)
{
    QSettings store = OpenStore();
    store.beginGroup(group);
    const QVariant v = store.value(key);
    store.endGroup();
    if (!v.isValid())
        return {};
    if (v.typeId() == QMetaType::QStringList)
        return ReadRawValue(store.fileName(), group, key);
    return ToBytes(v.toString());
}

void WriteText(const QString& group, const QString& key, const std::string& text)
{
    QSettings store = OpenStore();
    store.beginGroup(group);
    store.setValue(key, FromBytes(text));
    store.endGroup();
    store.sync();
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
    return ReadText(QLatin1String(kSection), QLatin1String(SettingName(s)));
}

void CSettings::Write(Setting s, const std::string& text)
{
    WriteText(QLatin1String(kSection), QLatin1String(SettingName(s)), text);
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
    QSettings store = OpenStore();
    store.beginGroup(QLatin1String(kDriveLetters));
    const QStringList keys = store.childKeys();
    store.endGroup();
    for (const QString& key : keys) {
        if (key.size() != 1 || key[0] < u'A' || key[0] > u'Z')
            continue;
        const std::string mount = ReadText(QLatin1String(kDriveLetters), key);
        if (!mount.empty())
            letters[char(key[0].unicode())] = mount;
    }
    return letters;
}

void CSettings::WriteDriveLetter(char letter, const std::string& mountPoint)
{
    WriteText(QLatin1String(kDriveLetters), QString(QLatin1Char(letter)), mountPoint);
}

std::string CSettings::FilePath()
{
    return ToBytes(OpenStore().fileName());
}

} // namespace tw
