// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportWriter.h"

#include "app/ItemReport.h"
#include "app/Operation.h"
#include "app/Translations.h"
#include "platform/Identity.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

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
        c.insert(QStringLiteral("ended"), command.ended.isValid() ? QJsonValue(IsoTime(command.ended)) : QJsonValue());
        c.insert(QStringLiteral("method"), MethodJson(command.method));
        QJsonArray items;
        record.ForEachItem(i, [&](const ItemResult& item) { items.append(ItemToJson(item)); });
        c.insert(QStringLiteral("items"), items);
        c.insert(QStringLiteral("counts"), CountsJson(command.counts));
        c.insert(QStringLiteral("summary"), QString::fromStdString(SummaryText(command.counts, true)));
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    // The report names destroyed files: nobody else needs to read it.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(data) != data.size() || !file.commit()) {
        // The temporary file goes with `file`; an earlier report stays.
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace tw
