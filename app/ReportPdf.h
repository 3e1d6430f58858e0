// SPDX-License-Identifier: GPL-3.0-or-later
// The destruction report as a PDF: a certificate page (who, where, when,
// what each command did, how, and what overwriting cannot reach) followed
// by the list of every item.
#pragma once

#include "app/ReportWriter.h"

#include <QString>

namespace tw {

// Writes the report to `path` in one piece, readable by the user alone.
// False with a readable reason on failure.
bool WriteReportPdf(const CSessionRecord& record, const ReportHeading& heading, const QString& path, QString* error);

} // namespace tw
