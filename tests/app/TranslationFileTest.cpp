// SPDX-License-Identifier: GPL-3.0-or-later
// The German translation as it ships: every text translated, nothing left
// over, the sources' texts all in it, and tarnowick-cli speaking it.
#include "tests/TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace tw::test;

namespace {

struct Message {
    QString context, source, comment;
    bool numerus = false;
    QString type;               // of the translation: "", "unfinished", "obsolete", "vanished"
    QStringList translations;   // one, or the plural forms
};

std::vector<Message> ReadTs(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    QXmlStreamReader xml(&file);
    std::vector<Message> messages;
    QString context;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages.push_back({});
            messages.back().context = context;
            messages.back().numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        } else if (xml.name() == u"source") {
            messages.back().source = xml.readElementText();
        } else if (xml.name() == u"comment") {
            messages.back().comment = xml.readElementText();
        } else if (xml.name() == u"translation") {
            messages.back().type = xml.attributes().value(QLatin1String("type")).toString();
            if (!messages.back().numerus)
                messages.back().translations << xml.readElementText();
        } else if (xml.name() == u"numerusform") {
            messages.back().translations << xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << path << ": " << xml.errorString().toStdString();
    return messages;
}

const std::string kTs = TARNOWICK_SOURCE_DIR "/translations/tarnowick_de.ts";

// A shortcut shown after a menu text's tab, with German key names (as
// German keyboards label them) spelled the portable way: it must name the
// keys the source names.
QString PortableKeys(QString keys)
{
    keys.replace(QStringLiteral("Strg+"), QStringLiteral("Ctrl+"));
    keys.replace(QStringLiteral("Umschalt+"), QStringLiteral("Shift+"));
    return keys;
}

QStringList Placeholders(const QString& text)
{
    static const QRegularExpression mark(QStringLiteral("%[1-9n]"));
    QStringList found;
    for (auto it = mark.globalMatch(text); it.hasNext();)
        found << it.next().captured(0);
    found.sort();
    found.removeDuplicates();
    return found;
}

int Accelerators(const QString& text) { return int(QString(text).remove(QStringLiteral("&&")).count(QLatin1Char('&'))); }

} // namespace

TEST(TranslationFileTest, EveryTextIsTranslatedAndKeepsWhatTheProgramFillsIn)
{
    const std::vector<Message> messages = ReadTs(kTs);
    ASSERT_GT(messages.size(), 300u);
    for (const Message& m : messages) {
        const std::string what = (m.context + QStringLiteral(": ") + m.source).toStdString();
        EXPECT_TRUE(m.type.isEmpty()) << "marked " << m.type.toStdString() << ": " << what;
        // German has two plural forms.
        ASSERT_EQ(m.translations.size(), m.numerus ? 2 : 1) << what;
        for (const QString& t : m.translations) {
            EXPECT_FALSE(t.isEmpty()) << what;
            // What the program puts in goes in every form (a singular may
            // spell out its count instead of %n).
            QStringList wanted = Placeholders(m.source), got = Placeholders(t);
            if (m.numerus && &t == &m.translations.front())
                wanted.removeAll(QStringLiteral("%n")), got.removeAll(QStringLiteral("%n"));
            EXPECT_EQ(got, wanted) << what << " -> " << t.toStdString();
            // A menu text keeps one accelerator and its shortcut; the
            // progress phases their leading blank.
            EXPECT_EQ(Accelerators(t), Accelerators(m.source)) << what << " -> " << t.toStdString();
            EXPECT_EQ(PortableKeys(t.section(QLatin1Char('\t'), 1)), m.source.section(QLatin1Char('\t'), 1)) << what;
            EXPECT_EQ(t.startsWith(QLatin1Char(' ')), m.source.startsWith(QLatin1Char(' '))) << what;
            EXPECT_EQ(t.endsWith(QLatin1Char('\n')), m.source.endsWith(QLatin1Char('\n'))) << what;
            // The pattern is written to the disk as it is: never translated.
            if (m.source.contains(QStringLiteral("\"Tarnowick Secure\""))) {
                EXPECT_TRUE(t.contains(QStringLiteral("\"Tarnowick Secure\""))) << what;
            }
        }
    }
}

TEST(TranslationFileTest, LupdateOverTheSourcesFindsNoTextMissingFromTheTranslation)
{
    // The sources the build hands lupdate, read from its project file.
    const std::string project = ReadFile(TARNOWICK_BINARY_DIR "/translations/.lupdate/tarnowick_project.cmake");
    const std::string key = "set(lupdate_sources \"";
    const size_t at = project.find(key);
    ASSERT_NE(at, std::string::npos) << project;
    const size_t end = project.find('"', at + key.size());
    std::string sources = project.substr(at + key.size(), end - at - key.size());
    ASSERT_NE(sources.find("/wipe/FileWiper.cpp"), std::string::npos);
    ASSERT_NE(sources.find("/cli/CTerminalHost.cpp"), std::string::npos);
    TempDir work;
    std::string list;
    for (char& c : sources)
        if (c == ';')
            c = '\n';
    WriteFile(work / "sources.lst", sources + "\n");

    const std::string fresh = work / "fresh.ts";
    ASSERT_EQ(RunCommand(std::string("'") + TARNOWICK_LUPDATE + "' -silent -locations none -I '" TARNOWICK_SOURCE_DIR "' @'"
                         + (work / "sources.lst") + "' -ts '" + fresh + "'"),
              0);
    using Key = std::tuple<QString, QString, QString, bool>;
    std::set<Key> inSources, shipped;
    for (const Message& m : ReadTs(fresh))
        inSources.insert({m.context, m.source, m.comment, m.numerus});
    for (const Message& m : ReadTs(kTs))
        shipped.insert({m.context, m.source, m.comment, m.numerus});
    ASSERT_GT(inSources.size(), 300u);
    for (const Key& k : inSources)
        EXPECT_TRUE(shipped.count(k)) << "not in the translation: " << std::get<0>(k).toStdString() << ": "
                                      << std::get<1>(k).toStdString();
    for (const Key& k : shipped)
        EXPECT_TRUE(inSources.count(k)) << "no longer in the sources: " << std::get<0>(k).toStdString() << ": "
                                        << std::get<1>(k).toStdString();
}

TEST(TranslationFileTest, TarnowickCliSpeaksGermanWhenAskedAndEnglishOtherwise)
{
    TempDir work;
    const std::string cli = "'" TARNOWICK_CLI "'";
    const std::string out = work / "out.txt";
    // The language as a user sets it; the translations come from the build
    // tree, where the program finds them beside itself.
    const std::string german = "env -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8 LANGUAGE=de ";
    const std::string english = "env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=C ";

    ASSERT_EQ(RunCommand(german + cli + " --help >'" + out + "' 2>&1"), 0);
    std::string text = ReadFile(out);
    EXPECT_EQ(text.rfind("Aufruf: tarnowick-cli [OPTION]... BEFEHL [OPERAND]...\n", 0), 0u) << text;
    // It fits a terminal of 80 columns, as the English one does.
    for (const QString& line : QString::fromStdString(text).split(QLatin1Char('\n')))
        EXPECT_LE(line.size(), 80) << line.toStdString();
    ASSERT_EQ(RunCommand(english + cli + " --help >'" + out + "' 2>&1"), 0);
    text = ReadFile(out);
    EXPECT_EQ(text.rfind("Usage: tarnowick-cli [OPTION]... COMMAND [OPERAND]...\n", 0), 0u) << text;

    // A mistake, and a sweep that lists what it would destroy, with the
    // engine's and the front end's words.
    EXPECT_EQ(RunCommand(german + cli + " sweep nirgends >'" + out + "' 2>&1"), 2);
    EXPECT_EQ(ReadFile(out), "tarnowick-cli: sweep nimmt cache, temp, other oder preferences, nicht 'nirgends'\n"
                             "Weitere Informationen mit 'tarnowick-cli --help'.\n");
    EXPECT_EQ(RunCommand(english + cli + " sweep nowhere >'" + out + "' 2>&1"), 2);
    EXPECT_EQ(ReadFile(out), "tarnowick-cli: sweep takes one of cache, temp, other or preferences, not 'nowhere'\n"
                             "Try 'tarnowick-cli --help' for more information.\n");

    // The window's command line, before any window exists.
    const std::string gui = "'" TARNOWICK_GUI "'";
    EXPECT_EQ(RunCommand(german + gui + " --delete >'" + out + "' 2>&1"), 2);
    EXPECT_EQ(ReadFile(out).rfind("tarnowick: --delete braucht mindestens einen Dateinamen\nAufruf: tarnowick [DATEI]\n", 0), 0u)
        << ReadFile(out);
    EXPECT_EQ(RunCommand(english + gui + " --delete >'" + out + "' 2>&1"), 2);
    EXPECT_EQ(ReadFile(out).rfind("tarnowick: --delete needs at least one file name\nusage: tarnowick [FILE]\n", 0), 0u)
        << ReadFile(out);

    // The cache sweep without its location: the engine's message.
    const std::string config = work / "config";
    EXPECT_NE(RunCommand(german + "XDG_CONFIG_HOME='" + config + "' " + cli + " sweep cache --dry-run >'" + out + "' 2>&1"), 0);
    text = ReadFile(out);
    EXPECT_NE(text.find("Tarnowick-Parameter: Pfad zum Internet-Cache nicht eingegeben"), std::string::npos) << text;
    EXPECT_EQ(text.find("Not Entered"), std::string::npos) << text;
    EXPECT_NE(RunCommand(english + "XDG_CONFIG_HOME='" + config + "' " + cli + " sweep cache --dry-run >'" + out + "' 2>&1"), 0);
    text = ReadFile(out);
    EXPECT_NE(text.find("Tarnowick Parameters: Internet Cache Path Not Entered"), std::string::npos) << text;
}
