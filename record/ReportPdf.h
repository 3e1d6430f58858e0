// SPDX-License-Identifier: GPL-3.0-or-later
// The destruction report as a PDF: a certificate (who, where, when, what
// each command did, how, and what overwriting cannot reach) followed by the
// list of every item.
#pragma once

#include "record/ReportWriter.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace tw {

// Called once per item drawn, so that a window can show how far a long
// report has come. May be called on any thread.
using ReportStep = std::function<void()>;

// The PDF of the report. The certificate is laid out a paragraph (and a
// table row) at a time: one that does not fit on the rest of a page starts
// the next page, so no paragraph is split and no line is drawn twice.
// Uses no window: it may run on a worker thread. Empty with a readable
// reason in `error` on failure.
QByteArray ReportPdf(const CSessionRecord& record, const ReportHeading& heading, QString* error,
                     const ReportStep& step = {});

// Writes the report to `path` in one piece, readable by the user alone, as
// WriteReportFile does. False with a readable reason on failure.
bool WriteReportPdf(const CSessionRecord& record, const ReportHeading& heading, const QString& path, QString* error,
                    const ReportStep& step = {});

} // namespace tw
