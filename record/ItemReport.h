// SPDX-License-Identifier: GPL-3.0-or-later
// One item's outcome in the form the saved report and the headless front
// end's --json output share, so that both say the same about the same item.
#pragma once

#include "core/OperationHost.h"

#include <QJsonObject>
#include <QString>

#include <optional>
#include <string>

namespace tw {

// A byte string as text that can be turned back into the same bytes. Valid
// UTF-8 stands as it is, except the backslash, which is doubled; every byte
// that is not part of valid UTF-8 is written as a backslash, "x" and two
// lower-case hex digits.
std::string EscapeBytes(const std::string& bytes);
// The bytes back; nothing when `text` is not a valid escaped form.
std::optional<std::string> UnescapeBytes(const std::string& text);
// The escaped form as a QString, for JSON, CSV and the PDF report.
QString EscapedText(const std::string& bytes);

// "file", "drive", "memory" or "folder".
const char* ItemKindName(ItemKind kind);

// {"kind", "path", "size", "result": "destroyed" | "left", "cause", "message"}
// with path and message escaped as above.
QJsonObject ItemToJson(const ItemResult& item);

} // namespace tw
