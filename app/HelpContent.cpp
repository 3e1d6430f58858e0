// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HelpContent.h"

namespace tw {

QString HelpText(unsigned) { return {}; }
QString CommandHelpText(int) { return {}; }

} // namespace tw
