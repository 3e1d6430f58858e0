// SPDX-License-Identifier: GPL-3.0-or-later
// The walk of File > "Secure Delete File" over the files the user picked:
// ask for each (unless "Yes To All"), destroy, remember the directory.
#pragma once

#include "core/Operation.h"

#include <string>
#include <vector>

namespace tw {

// Walks `selection` in order. With `rememberDirectory`, writes "Initial
// Directory" from the path at which the walk ended, however it ended; a
// FileException from the wiper ends the command before that. A front end
// without the file dialog passes false and leaves the setting alone. An
// empty selection does nothing.
void DeleteSelectedFiles(Operation& op, const std::vector<std::string>& selection, bool rememberDirectory = true);

// The same walk for names that come from outside the file dialog: files
// dropped on the window, `tarnowick --delete`. Before the first question,
// names that are no local files (`notLocal`, as dropped) and folders are
// reported, once for each of the two kinds, and left alone: nothing inside
// a folder is touched. "Initial Directory" is not written, since the user
// picked nothing in the file dialog.
void DeleteGivenFiles(Operation& op, const std::vector<std::string>& names,
                      const std::vector<std::string>& notLocal = {});

// The directory part of `path` without its trailing "/": "/" for a file in
// the root, "" for a bare name.
std::string DirectoryOfPath(const std::string& path);

} // namespace tw
