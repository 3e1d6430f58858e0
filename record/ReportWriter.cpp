// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/ReportWriter.h"

#include "record/ItemReport.h"
#include "core/Operation.h"
#include "core/Translations.h"
#include "platform/Identity.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

const char* MethodName(RecordMethod method)
{
    switch (method) {
    case RecordMethod::Files: return "files";
    case RecordMethod::FreeSpace: return "free space";
    case RecordMethod::Memory: return "memory";
    }
    return "files";
}

// "completed", "stopped" or "not run".
const char* CommandResultName(const RecordedCommand& command)
{
    if (command.notRun)
        return "not run";
    return command.stopped != StopKind::None ? "stopped" : "completed";
}

QJsonObject CountsJson(const RecordCounts& c)
{
    QJsonObject o;
    o.insert(QStringLiteral("filesDestroyed"), qint64(c.filesDestroyed));
    o.insert(QStringLiteral("bytesDestroyed"), qint64(c.bytesDestroyed));
    o.insert(QStringLiteral("filesLeft"), qint64(c.filesLeft));
    o.insert(QStringLiteral("filesRemoved"), qint64(c.filesRemoved));
    o.insert(QStringLiteral("bytesRemoved"), qint64(c.bytesRemoved));
    o.insert(QStringLiteral("drivesOverwritten"), qint64(c.drivesWiped));
    o.insert(QStringLiteral("bytesWrittenToFreeSpace"), qint64(c.bytesWritten));
    o.insert(QStringLiteral("drivesLeft"), qint64(c.drivesLeft));
    o.insert(QStringLiteral("memoryHeld"), qint64(c.memoryHeld));
    o.insert(QStringLiteral("itemsNotListed"), qint64(c.unlisted));
    o.insert(QStringLiteral("bytesNotListed"), qint64(c.unlistedBytes));
    o.insert(QStringLiteral("foldersNotSwept"), qint64(c.foldersLeft));
    return o;
}

QJsonObject MethodJson(RecordMethod method)
{
    QJsonObject o;
    o.insert(QStringLiteral("kind"), QString::fromLatin1(MethodName(method)));
    o.insert(QStringLiteral("pattern"), QString::fromLatin1(kWipePattern));
    o.insert(QStringLiteral("passes"), 1);
    o.insert(QStringLiteral("flushedBeforeRemoval"), method != RecordMethod::Memory);
    o.insert(QStringLiteral("description"), QString::fromStdString(MethodText(method)));
    return o;
}

// A CSV field: quoted when it holds a separator, a quote or a line break.
// A field that a spreadsheet would take for a formula gets a leading
// apostrophe, so that opening the report never runs what a file name says.
QByteArray CsvField(const QString& text)
{
    QString value = text;
    if (!value.isEmpty() && QStringLiteral("=+-@\t\r").contains(value.front()))
        value.prepend(QLatin1Char('\''));
    QByteArray bytes = value.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

void CsvRow(QByteArray& out, const QStringList& fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            out += ',';
        out += CsvField(fields[i]);
    }
    out += "\r\n";
}

} // namespace

ReportHeading CurrentHeading()
{
    ReportHeading heading;
    const QString version = QCoreApplication::applicationVersion();
    heading.version = version.isEmpty() ? std::string("1.0") : version.toStdString();
    heading.host = HostName();
    heading.user = UserName();
    heading.created = QDateTime::currentDateTime();
    return heading;
}

std::string MethodText(RecordMethod method)
{
    switch (method) {
    case RecordMethod::Files:
        return QCoreApplication::translate(
                   "tw::ReportWriter",
                   "Every byte of each file was overwritten in place with the 16-byte pattern \"Tarnowick Secure\" in "
                   "one pass and flushed to the device before the file was cut to zero length, renamed to a random "
                   "name and removed.")
            .toStdString();
    case RecordMethod::FreeSpace:
        return QCoreApplication::translate(
                   "tw::ReportWriter",
                   "The free space of each drive was filled with files of the 16-byte pattern \"Tarnowick Secure\" in "
                   "one pass; the pattern was flushed to the device before these files were emptied and removed.")
            .toStdString();
    case RecordMethod::Memory:
        return QCoreApplication::translate(
                   "tw::ReportWriter",
                   "Memory was taken up to what the system granted, written with the pattern \"Tarnowick Secure\" and "
                   "held at once, so that the system pushed other memory out to swap, then released. Nothing on a "
                   "disk was overwritten directly.")
            .toStdString();
    }
    return {};
}

std::vector<std::string> ReportLimits()
{
    static const char* const limits[] = {
        QT_TRANSLATE_NOOP("tw::ReportWriter",
                          "This report lists what Tarnowick was given and what it did with it. It cannot prove that no "
                          "other copy of the data exists."),
        QT_TRANSLATE_NOOP("tw::ReportWriter",
                          "Overwriting in place does not reach the old copies that copy-on-write and log-structured "
                          "file systems (btrfs, ZFS, F2FS, bcachefs) keep, nor snapshots of them."),
        QT_TRANSLATE_NOOP("tw::ReportWriter",
                          "SSDs, USB sticks and memory cards move data internally: blocks the device has remapped may "
                          "still hold the old contents."),
        QT_TRANSLATE_NOOP("tw::ReportWriter",
                          "Journals, backups, swap, caches and copies made by other programs are not reached. The old "
                          "name of a file may remain in its directory and in the file system's journal."),
        QT_TRANSLATE_NOOP("tw::ReportWriter",
                          "Against all of these: full-disk encryption from the start, the device's own secure erase, "
                          "or destroying the device."),
    };
    std::vector<std::string> texts;
    for (const char* limit : limits)
        texts.push_back(QCoreApplication::translate("tw::ReportWriter", limit).toStdString());
    return texts;
}

QString IsoTime(const QDateTime& time)
{
    if (!time.isValid())
        return {};
    // With the offset written out, the moment stays unambiguous wherever the
    // report is read.
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

QByteArray ReportJson(const CSessionRecord& record, const ReportHeading& heading)
{
    QJsonObject root;
    root.insert(QStringLiteral("program"), EscapedText(heading.program));
    root.insert(QStringLiteral("version"), EscapedText(heading.version));
    root.insert(QStringLiteral("host"), EscapedText(heading.host));
    root.insert(QStringLiteral("user"), EscapedText(heading.user));
    root.insert(QStringLiteral("created"), IsoTime(heading.created));

    QJsonArray commands;
    for (size_t i = 0; i < record.CommandCount(); ++i) {
        const RecordedCommand command = record.Command(i);
        QJsonObject c;
        c.insert(QStringLiteral("name"), EscapedText(command.name));
        c.insert(QStringLiteral("started"), IsoTime(command.started));
        // A command that did not run has no end and no method: it only
        // says why it could not begin.
        c.insert(QStringLiteral("ended"), command.ended.isValid() && !command.notRun ? QJsonValue(IsoTime(command.ended))
                                                                                     : QJsonValue());
        c.insert(QStringLiteral("result"), QString::fromLatin1(CommandResultName(command)));
        c.insert(QStringLiteral("stopped"), command.stopped != StopKind::None
                                                ? QJsonValue(QString::fromLatin1(StopKindName(command.stopped)))
                                                : QJsonValue());
        if (command.stopped != StopKind::None)
            c.insert(QStringLiteral("notReached"), command.notReached >= 0 ? QJsonValue(qint64(command.notReached))
                                                                          : QJsonValue());
        c.insert(QStringLiteral("method"), command.notRun ? QJsonValue() : QJsonValue(MethodJson(command.method)));
        QJsonArray items;
        record.ForEachItem(i, [&](const ItemResult& item) { items.append(ItemToJson(item)); });
        c.insert(QStringLiteral("items"), items);
        QJsonArray notes;
        for (const std::string& note : command.notes)
            notes.append(EscapedText(note));
        c.insert(QStringLiteral("notes"), notes);
        c.insert(QStringLiteral("counts"), CountsJson(command.counts));
        c.insert(QStringLiteral("summary"), EscapedText(CommandSummaryText(command, true)));
        commands.append(c);
    }
    root.insert(QStringLiteral("commands"), commands);
    root.insert(QStringLiteral("counts"), CountsJson(record.Totals()));

    QJsonArray limits;
    for (const std::string& limit : ReportLimits())
        limits.append(QString::fromStdString(limit));
    root.insert(QStringLiteral("limits"), limits);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray ReportCsv(const CSessionRecord& record)
{
    QByteArray out;
    CsvRow(out, {QStringLiteral("command"), QStringLiteral("started"), QStringLiteral("kind"), QStringLiteral("path"),
                 QStringLiteral("size"), QStringLiteral("result"), QStringLiteral("cause"), QStringLiteral("message")});
    for (size_t i = 0; i < record.CommandCount(); ++i) {
        const RecordedCommand command = record.Command(i);
        const QString name = EscapedText(command.name);
        const QString started = IsoTime(command.started);
        record.ForEachItem(i, [&](const ItemResult& item) {
            CsvRow(out, {name, started, QString::fromLatin1(ItemKindName(item.kind)), EscapedText(item.path),
                         QString::number(item.size),
                         QString::fromLatin1(ResultName(item)),
                         QString::number(item.cause), EscapedText(item.message)});
        });
        // Items past the listing limit still count: one row says how many.
        if (command.counts.unlisted > 0)
            CsvRow(out, {name, started, QStringLiteral("not listed"), QString(), QString::number(command.counts.unlistedBytes),
                         QStringLiteral("destroyed"), QStringLiteral("0"),
                         QCoreApplication::translate("tw::ReportWriter", "%n more items destroyed, not listed", nullptr,
                                                     PluralCount(command.counts.unlisted))});
        // What the command told the user, then how it ended when it did
        // not run to its end: rows of the kind "note" and "command".
        if (!command.notRun)
            for (const std::string& note : command.notes)
                CsvRow(out, {name, started, QStringLiteral("note"), QString(), QString(), QStringLiteral("note"),
                             QStringLiteral("0"), EscapedText(note)});
        if (command.notRun || command.stopped != StopKind::None)
            CsvRow(out, {name, started, QStringLiteral("command"), QString(), QString(),
                         QString::fromLatin1(CommandResultName(command)), QStringLiteral("0"),
                         EscapedText(CommandSummaryText(command, true))});
    }
    return out;
}

ReportFormat FormatForFile(const QString& path, const QString& filter)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return ReportFormat::Csv;
    if (suffix == QLatin1String("pdf"))
        return ReportFormat::Pdf;
    if (suffix == QLatin1String("json"))
        return ReportFormat::Json;
    if (filter.contains(QLatin1String("*.csv")))
        return ReportFormat::Csv;
    if (filter.contains(QLatin1String("*.pdf")))
        return ReportFormat::Pdf;
    return ReportFormat::Json;
}

bool WriteReportFile(const QString& path, const QByteArray& data, QString* error)
{
    const auto fail = [error](int err) {
        *error = QString::fromLocal8Bit(std::strerror(err));
        return false;
    };
    const std::string target = QFile::encodeName(path).toStdString();
    // A link at the chosen name is never written through: in a shared
    // folder another user may have planted it to point at a file of the
    // one who saves (root's, say), which would then be replaced.
    struct stat st {};
    if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        *error = QCoreApplication::translate("tw::ReportWriter",
                                             "This name is a symbolic link. A report is never written through a "
                                             "link; choose another name.");
        return false;
    }
    const size_t slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/")
                                                                                             : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty())
        return fail(EISDIR);
    // The report goes into a new file of its own beside the chosen name
    // (created, never opened through a link, readable by the user alone)
    // and then takes the name in one step: the rename replaces a link that
    // appeared meanwhile instead of following it, and a half-written report
    // never replaces an earlier one.
    std::string temporary = directory + "/." + name.substr(0, 64) + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    fchmod(fd, 0600);
    const char* bytes = data.constData();
    size_t left = size_t(data.size());
    int err = 0;
    while (left > 0 && err == 0) {
        const ssize_t n = write(fd, bytes, left);
        if (n < 0 && errno != EINTR)
            err = errno;
        else if (n > 0) {
            bytes += n;
            left -= size_t(n);
        }
    }
    if (err == 0 && fsync(fd) != 0)
        err = errno;
    if (close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && rename(temporary.c_str(), target.c_str()) != 0)
        err = errno;
    if (err != 0) {
        unlink(temporary.c_str());
        return fail(err);
    }
    return true;
}

} // namespace tw
