// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <climits>

#ifndef TARNOWICK_TRANSLATIONS_FROM_BIN
#define TARNOWICK_TRANSLATIONS_FROM_BIN "../share/tarnowick/translations"
#endif

namespace tw {

QStringList TranslationDirectories()
{
    const QString bin = QCoreApplication::applicationDirPath();
    return {QDir::cleanPath(bin + QLatin1Char('/') + QStringLiteral(TARNOWICK_TRANSLATIONS_FROM_BIN)),
            bin + QStringLiteral("/translations")};
}

namespace {

// The language tags to try for one of the user's languages, most specific
// first: "de-Latn-AT" gives de_Latn_AT, de_Latn, de.
QStringList Candidates(QString tag)
{
    tag.replace(QLatin1Char('-'), QLatin1Char('_'));
    QStringList candidates;
    while (!tag.isEmpty()) {
        candidates << tag;
        const qsizetype cut = tag.lastIndexOf(QLatin1Char('_'));
        if (cut <= 0)
            break;
        tag.truncate(cut);
    }
    return candidates;
}

// The first file `base`_`tag`.qm in `directories`, loaded; null when none.
QTranslator* Load(QCoreApplication& app, const QString& base, const QString& tag, const QStringList& directories)
{
    for (const QString& directory : directories) {
        const QString file = directory + QLatin1Char('/') + base + QLatin1Char('_') + tag + QStringLiteral(".qm");
        if (!QFileInfo(file).isFile())
            continue;
        auto* translator = new QTranslator(&app);
        if (translator->load(file))
            return translator;
        delete translator;
    }
    return nullptr;
}

} // namespace

InstalledTranslations InstallTranslations(QCoreApplication& app, const QStringList& directories)
{
    InstalledTranslations installed;
    for (const QString& language : QLocale::system().uiLanguages()) {
        const QStringList candidates = Candidates(language);
        if (candidates.isEmpty())
            continue;
        // English is what the program is written in: the user who puts it
        // before another language wants it, not the other one.
        if (candidates.last().compare(QLatin1String("en"), Qt::CaseInsensitive) == 0)
            break;
        for (const QString& tag : candidates) {
            QTranslator* ours = Load(app, QStringLiteral("tarnowick"), tag, directories);
            if (!ours)
                continue;
            installed.language = tag;
            // Qt's own texts (the standard buttons, the file dialog) in the
            // same language, where Qt has them.
            if (QTranslator* qt = Load(app, QStringLiteral("qtbase"), tag,
                                       {QLibraryInfo::path(QLibraryInfo::TranslationsPath)})) {
                QCoreApplication::installTranslator(qt);
                installed.translators.push_back(qt);
            }
            QCoreApplication::installTranslator(ours);
            installed.translators.insert(installed.translators.begin(), ours);
            return installed;
        }
    }
    return installed;
}

std::string FillText(const QString& translated, std::initializer_list<std::string_view> args)
{
    const QByteArray text = translated.toUtf8();
    std::string out;
    out.reserve(size_t(text.size()) + 64);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const size_t n = size_t(text[i + 1] - '1');
            if (n < args.size()) {
                out += args.begin()[n];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

int PluralCount(unsigned long long n)
{
    return n > unsigned(INT_MAX) ? INT_MAX : int(n);
}

} // namespace tw
