// SPDX-License-Identifier: GPL-3.0-or-later
// How the program speaks the user's language: the translators for the
// window and tarnowick-cli, and the engine's way of filling a translated
// text with paths, whose bytes need not be UTF-8. QtCore only.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class QCoreApplication;
class QTranslator;

namespace tw {

// Where tarnowick_<language>.qm is looked for: the install's data directory
// (share/tarnowick/translations beside the program's bin), then the
// translations directory of the build the program was run from.
QStringList TranslationDirectories();

struct InstalledTranslations {
    QString language;                     // "de"; empty: English, the source language
    std::vector<QTranslator*> translators;  // ours, then Qt's own; owned by the application
};

// Installs the translation of the first of the user's languages (LANGUAGE,
// then LC_ALL, LC_MESSAGES, LANG, as QLocale::system() reads them) that the
// program has, and Qt's own for the same language (standard buttons and
// dialogs). English, or a list with no language the program has, installs
// nothing: the texts stay the English ones.
InstalledTranslations InstallTranslations(QCoreApplication& app,
                                          const QStringList& directories = TranslationDirectories());

// `translated` with %1 ... %9 replaced by `args`, in one pass, so that a
// path holding "%2" stays as it is. The arguments go in as bytes: a path
// that is not UTF-8 comes out exactly as it went in. The rest is UTF-8.
std::string FillText(const QString& translated, std::initializer_list<std::string_view> args);

// A count as the plural forms of a translation take it (tr's `n`).
int PluralCount(unsigned long long n);

} // namespace tw
