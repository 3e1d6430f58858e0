// SPDX-License-Identifier: GPL-3.0-or-later
#include "wipe/FileWiper.h"

#include "platform/FileError.h"

namespace tw {

int WipeFile(Operation&, const std::string& path, IProgress*)
{
    throw FileException(causeGeneric, 0, path, "the file wiper is not built yet");
}

int WipeFileAt(Operation&, int, const std::string&, const std::string& path, IProgress*)
{
    throw FileException(causeGeneric, 0, path, "the file wiper is not built yet");
}

} // namespace tw
