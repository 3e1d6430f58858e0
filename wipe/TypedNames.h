// SPDX-License-Identifier: GPL-3.0-or-later
// The names typed into the file dialog's name field, and the field's text
// for names picked in its list.
#pragma once

#include <QString>

#include <string>
#include <vector>

namespace tw {

// Typed text to names (bytes): a text that starts with a double quote is a
// list of quoted names ("a" "b", with \" and \\ inside the quotes); any
// other text is one name exactly as it stands, blanks included. False when
// the quotes do not pair up, or the text holds a NUL, which no name can.
bool ReadTypedNames(const QString& text, std::vector<std::string>& names);

// The field's text for picked names: one name as it stands, several quoted.
// ReadTypedNames reads it back as the same names.
QString TypedNamesText(const std::vector<std::string>& names);

} // namespace tw
