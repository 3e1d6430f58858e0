// SPDX-License-Identifier: GPL-3.0-or-later
// Who and where: the machine's host name and the name of the user the
// program runs as, for the heading of a destruction report.
#pragma once

#include <string>

namespace tw {

// The host name as the kernel knows it; "" when it cannot be read.
std::string HostName();

// The login name of the effective user (from the user database); the
// numeric id when the database has no entry.
std::string UserName();

} // namespace tw
