// SPDX-License-Identifier: GPL-3.0-or-later
// The destruction report in the forms that are plain text: JSON and CSV.
// Both are built from the session record and written only to the file the
// user chose, readable by the user alone.
#pragma once

#include "record/SessionRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <string>
#include <vector>

namespace tw {

enum class ReportFormat { Json, Csv, Pdf };

// Who made the report, where and when.
struct ReportHeading {
    std::string program = "Tarnowick";
    std::string version;
    std::string host;
    std::string user;
    QDateTime created;
};

// The heading of a report made now, on this machine, by this user.
ReportHeading CurrentHeading();

// How a command of this kind destroys what it is given, in one paragraph.
// The texts of a report are in the user's language; its field names and
// values such as "destroyed" or "left" are the same in every language.
std::string MethodText(RecordMethod method);
// What overwriting in place cannot reach; every report says so.
std::vector<std::string> ReportLimits();

// A moment in ISO 8601 with its offset from UTC: "2024-05-01T14:02:11+02:00".
QString IsoTime(const QDateTime& time);

QByteArray ReportJson(const CSessionRecord& record, const ReportHeading& heading);
QByteArray ReportCsv(const CSessionRecord& record);

// The format a chosen file stands for: by its extension when that is one of
// ".json", ".csv", ".pdf" (any case), else by the chosen filter's text.
ReportFormat FormatForFile(const QString& path, const QString& filter);

// Writes `data` to `path` in one piece (a half-written report never
// replaces an earlier one), with the permissions 0600. A symbolic link at
// `path` is refused, never written through. False with a readable reason
// on failure.
bool WriteReportFile(const QString& path, const QByteArray& data, QString* error);

} // namespace tw
