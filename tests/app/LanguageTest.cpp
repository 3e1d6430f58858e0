// SPDX-License-Identifier: GPL-3.0-or-later
// The window in the user's language. The program is started as a user
// starts it: the language comes from the environment before the application
// object exists, and the translations are the ones the build made. Every
// text of the main window, its menus and each real dialog (opened through
// the commands and the modal seam, as a user opens them) is collected and
// checked: in German no English text is left, in English ("C") every text
// is exactly the English one.
#include "tests/TestSupport.h"

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "core/CommandIds.h"
#include "app/CommandTable.h"
#include "wipe/COpenFileDialog.h"
#include "app/ModalSeam.h"
#include "core/Translations.h"
#include "disk/CDiskError.h"
#include "disk/CWorking.h"
#include "disk/FillProgress.h"
#include "prefs/CPreferences.h"
#include "prefs/CSelectDrives.h"
#include "prefs/Settings.h"
#include "sweep/CPreviewWindow.h"
#include "sweep/CProgressBox.h"
#include "wipe/CConfirm.h"
#include "wipe/CFileError.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QToolBar>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace tw;
using namespace tw::test;

namespace {

std::string g_language;  // "de" or "C", from the command line

// A text as a user reads it: no accelerator marks, no shortcut after a tab.
QString Plain(QString text)
{
    text = text.section(QLatin1Char('\t'), 0, 0);
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

QSet<QString> Words(const QString& text)
{
    static const QRegularExpression word(QStringLiteral("[A-Za-zÄÖÜäöüß]{2,}"));
    QSet<QString> words;
    for (auto it = word.globalMatch(text); it.hasNext();)
        words.insert(it.next().captured(0).toLower());
    return words;
}

// The words of the program's English texts that no German text uses, and
// the other way round, from the translation the program ships.
struct Vocabulary {
    QSet<QString> englishOnly, germanOnly;
    QSet<QString> englishTexts;  // whole English texts that German changes
};

Vocabulary ReadVocabulary()
{
    QFile file(QStringLiteral(TARNOWICK_SOURCE_DIR "/translations/tarnowick_de.ts"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QSet<QString> english, german;
    Vocabulary v;
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"source") {
            source = xml.readElementText();
            english += Words(Plain(source));
        } else if (xml.name() == u"translation" || xml.name() == u"numerusform") {
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            german += Words(Plain(text));
            if (Plain(text) != Plain(source))
                v.englishTexts.insert(Plain(source));
        }
    }
    v.englishOnly = english - german;
    v.germanOnly = german - english;
    // Product words and units read the same in both languages.
    for (const char* same : {"tarnowick", "secure", "gib", "mb", "min"})
        v.englishOnly.remove(QString::fromLatin1(same)), v.germanOnly.remove(QString::fromLatin1(same));
    return v;
}

// Every text of a widget tree: captions, labels, buttons, frames, menus,
// tips, accessible names, list headers and rows.
// The manual (the help window's contents and pages) may stay English:
// `manual` leaves its views out.
void Collect(QWidget* root, const QString& where, QStringList& texts, bool manual = true)
{
    const auto add = [&](const QString& text) {
        if (!text.trimmed().isEmpty())
            texts << where + QStringLiteral(" | ") + text;
    };
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (w->isWindow())
            add(w->windowTitle());
        add(w->toolTip());
        add(w->statusTip());
        add(w->accessibleName());
        add(w->accessibleDescription());
        if (auto* label = qobject_cast<QLabel*>(w))
            add(label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            add(button->text());
        if (auto* group = qobject_cast<QGroupBox*>(w))
            add(group->title());
        if (auto* menu = qobject_cast<QMenu*>(w))
            add(menu->title());
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            add(edit->placeholderText());
            // A field the program fills for reading (the error dialogs').
            if (edit->isReadOnly())
                add(edit->text());
        }
        if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model() && manual) {
            QAbstractItemModel* model = view->model();
            for (int c = 0; c < model->columnCount(); ++c)
                add(model->headerData(c, Qt::Horizontal).toString());
            std::function<void(const QModelIndex&)> rows = [&](const QModelIndex& parent) {
                for (int r = 0; r < model->rowCount(parent); ++r)
                    for (int c = 0; c < model->columnCount(parent); ++c) {
                        const QModelIndex index = model->index(r, c, parent);
                        add(index.data().toString());
                        add(index.data(Qt::ToolTipRole).toString());
                        if (c == 0)
                            rows(index);
                    }
            };
            rows({});
        }
        for (QAction* action : w->actions()) {
            add(action->text());
            add(action->toolTip());
            add(action->statusTip());
        }
    }
}

// The accelerators of one menu or dialog: each letter once.
void ExpectDistinctAccelerators(const QList<QString>& texts, const QString& where)
{
    QMap<QChar, QString> taken;
    for (const QString& text : texts) {
        const qsizetype at = QString(text).replace(QStringLiteral("&&"), QStringLiteral("__")).indexOf(QLatin1Char('&'));
        if (at < 0 || at + 1 >= text.size())
            continue;
        const QChar key = text[at + 1].toLower();
        EXPECT_FALSE(taken.contains(key)) << where.toStdString() << ": " << text.toStdString() << " and "
                                          << taken.value(key).toStdString() << " share &" << QString(key).toStdString();
        taken.insert(key, text);
    }
}

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        m_work.emplace();
        m_drives = new FakeDriveTable;
        m_drives->roots['C'] = "/";
        m_drives->roots['D'] = m_work->Path();
        m_frame = std::make_unique<CMainFrame>(std::unique_ptr<IDriveTable>(m_drives));
        m_frame->show();
    }
    void TearDown() override
    {
        SetModalHook({});
        m_frame.reset();
        m_work.reset();
    }

    // Runs a command; each dialog it opens is collected (under its class
    // name) and answered by `answer`.
    void Run(int id, const std::function<int(QDialog&)>& answer = {})
    {
        SetModalHook([&](QDialog& d) {
            const QString name = QString::fromLatin1(d.metaObject()->className()).remove(QStringLiteral("tw::"));
            Collect(&d, name, m_texts);
            m_opened << name;
            return answer ? answer(d) : int(QDialog::Rejected);
        });
        m_frame->OnCommand(id);
        SetModalHook({});
    }

    // Opens every dialog the way a user reaches it and collects its texts.
    void CollectEverything()
    {
        // A file picked in the open dialog, confirmed and destroyed; one
        // that does not exist, whose error comes from the wiper.
        WriteFile(*m_work / "geheim.dat", "weg damit");
        CSettings::Write(Setting::InitialDirectory, m_work->Path());
        Run(ID_SECURE_DELETE_FILE, [&](QDialog& d) {
            if (auto* open = qobject_cast<COpenFileDialog*>(&d)) {
                open->NameField()->setText(QStringLiteral("\"geheim.dat\" \"fehlt.dat\""));
                open->accept();
                return open->result();
            }
            if (qobject_cast<CConfirm*>(&d))
                return int(IDC_YES);
            return int(IDC_IGNORE);
        });
        EXPECT_FALSE(Exists(*m_work / "geheim.dat"));

        // A sweep without its location: the engine's message.
        Run(ID_SECURE_DELETE_CACHE, [](QDialog&) { return int(QMessageBox::Ok); });
        Run(ID_PREFERENCES);
        Run(ID_SECURE_EMPTY_SPACE);
        // The about box is the application's: shown here as it shows it.
        CAboutDlg about(m_frame.get());
        Collect(&about, QStringLiteral("CAboutDlg"), m_texts);
        m_opened << QStringLiteral("CAboutDlg");
        CSettings::Write(Setting::TemporaryPath, m_work->Path());
        Run(ID_VIEW_PREVIEW, [](QDialog& d) {
            if (auto* preview = qobject_cast<CPreviewWindow*>(&d)) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return preview->HasEnded(); }, 60000));
            }
            return int(QDialog::Rejected);
        });
        // The preview collected before its walk ended: once more, at the end.
        Run(ID_VIEW_PREVIEW, [&](QDialog& d) {
            if (auto* preview = qobject_cast<CPreviewWindow*>(&d)) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return preview->HasEnded(); }, 60000));
                Collect(preview, QStringLiteral("CPreviewWindow (ended)"), m_texts);
            }
            return int(QDialog::Rejected);
        });
        m_frame->OnCommand(ID_HELP_FINDER);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->objectName() == QStringLiteral("CHelpWindow"))
                Collect(w, QStringLiteral("CHelpWindow"), m_texts, false), w->close();

        // The windows a long command shows while it runs.
        CWorking working(m_frame.get());
        FillStatus status;
        status.letter = 'D';
        status.mountPoint = "/media/usb";
        status.written = 3 << 20;
        status.total = 8 << 20;
        working.SetStatusText(QString::fromStdString(DescribeFill(status, 2.0)));
        Collect(&working, QStringLiteral("CWorking"), m_texts);
        CProgressBox box(m_frame.get());
        box.ShowScanning();
        Collect(&box, QStringLiteral("CProgressBox scanning"), m_texts);
        box.ShowDeleting();
        Collect(&box, QStringLiteral("CProgressBox deleting"), m_texts);
        CDiskError disk(m_frame.get());
        Collect(&disk, QStringLiteral("CDiskError"), m_texts);

        // Last the main window, with the record of all of the above.
        Collect(m_frame.get(), QStringLiteral("CMainFrame"), m_texts);
        for (QAction* top : m_frame->menuBar()->actions())
            if (top->menu())
                Collect(top->menu(), QStringLiteral("menu ") + top->text(), m_texts);

        for (const char* dialog : {"COpenFileDialog", "CConfirm", "CFileError", "QMessageBox", "CPreferences",
                                   "CSelectDrives", "CAboutDlg", "CPreviewWindow"})
            EXPECT_TRUE(m_opened.contains(QString::fromLatin1(dialog))) << dialog << " was not opened";
    }

    // The session's report, saved as PDF through Save Report, as text.
    std::string SavedReportText()
    {
        const std::string pdf = *m_work / "bericht.pdf";
        SetSaveDialogHook([&](const FileDialogRequest&) {
            return SaveDialogAnswer{QString::fromStdString(pdf), QStringLiteral("PDF (*.pdf)")};
        });
        m_frame->OnCommand(ID_FILE_SAVE_REPORT);
        SetSaveDialogHook({});
        EXPECT_TRUE(Exists(pdf));
        EXPECT_EQ(RunCommand("pdftotext -layout '" + pdf + "' '" + pdf + ".txt'"), 0);
        return ReadFile(pdf + ".txt");
    }

    std::optional<TempDir> m_work;
    FakeDriveTable* m_drives = nullptr;
    std::unique_ptr<CMainFrame> m_frame;
    QStringList m_texts, m_opened;
};

TEST_F(LanguageTest, InGermanNoEnglishTextIsLeftInTheWindowItsMenusAndDialogs)
{
    if (g_language != "de")
        GTEST_SKIP() << "runs with --language=de";
    const Vocabulary v = ReadVocabulary();
    ASSERT_GT(v.englishOnly.size(), 100);
    CollectEverything();
    ASSERT_GT(m_texts.size(), 150);

    int german = 0;
    for (const QString& entry : m_texts) {
        const QString where = entry.section(QStringLiteral(" | "), 0, 0);
        // Names the test made are no one's language.
        const QString text = Plain(entry.section(QStringLiteral(" | "), 1)).remove(QString::fromStdString(m_work->Path()));
        EXPECT_FALSE(v.englishTexts.contains(text)) << "untranslated in " << where.toStdString() << ": "
                                                    << text.toStdString();
        const QSet<QString> english = Words(text) & v.englishOnly;
        EXPECT_TRUE(english.isEmpty()) << "English words " << QStringList(english.values()).join(u',').toStdString()
                                       << " in " << where.toStdString() << ": " << text.toStdString();
        german += (Words(text) & v.germanOnly).isEmpty() ? 0 : 1;
    }
    // Most texts carry German words (the rest are names, sizes, paths).
    EXPECT_GT(german, m_texts.size() / 2);

    // Each menu, and the menu bar, gives every accelerator letter once.
    QStringList titles;
    for (QAction* top : m_frame->menuBar()->actions()) {
        titles << top->text();
        if (!top->menu())
            continue;
        QStringList items;
        for (QAction* action : top->menu()->actions())
            items << action->text();
        ExpectDistinctAccelerators(items, top->text());
    }
    ExpectDistinctAccelerators(titles, QStringLiteral("menu bar"));
    EXPECT_EQ(Plain(titles.value(0)), QStringLiteral("Datei"));
}

TEST_F(LanguageTest, InCEveryTextIsExactlyTheEnglishOne)
{
    if (g_language != "C")
        GTEST_SKIP() << "runs with --language=C";
    const Vocabulary v = ReadVocabulary();
    CollectEverything();
    for (const QString& entry : m_texts) {
        const QSet<QString> german = Words(entry.section(QStringLiteral(" | "), 1)) & v.germanOnly;
        EXPECT_TRUE(german.isEmpty()) << entry.toStdString();
    }
    // The menus carry the command table's texts exactly, blanks included.
    for (const CommandInfo& info : CommandTable()) {
        auto* action = m_frame->findChild<QAction*>(QStringLiteral("command_%1").arg(info.id));
        if (!action || !info.menuText)
            continue;
        EXPECT_EQ(action->text(), QString::fromUtf8(info.menuText));
        if (info.prompt) {
            EXPECT_EQ(action->statusTip(), QString::fromUtf8(info.prompt));
        }
    }
    if (RunCommand("command -v pdftotext >/dev/null 2>&1") == 0) {
        const std::string report = SavedReportText();
        for (const char* english : {"Certificate of Destruction", "Method", "Limits", "Secure Delete File",
                                    "Could not access this file for deletion"})
            EXPECT_NE(report.find(english), std::string::npos) << english << "\n" << report;
    }
    // And the engine's texts reach the dialogs as they are made.
    EXPECT_TRUE(m_texts.contains(QStringLiteral("QMessageBox | Internet Cache Path Not Entered")));
    EXPECT_TRUE(m_texts.contains(QStringLiteral("CProgressBox scanning |  Scanning for Files ...")));
    EXPECT_TRUE(m_texts.contains(QStringLiteral("CWorking | D: /media/usb \u2014 3.0 MiB of 8.0 MiB, 1.5 MiB/s, less than a minute left")))
        << m_texts.filter(QStringLiteral("CWorking")).join(u'\n').toStdString();
    EXPECT_FALSE(m_texts.filter(QRegularExpression(QStringLiteral("^CFileError \\| .*Could not access this file for deletion \\[ 2 \\]$"))).isEmpty())
        << m_texts.filter(QStringLiteral("CFileError")).join(u'\n').toStdString();
}

TEST_F(LanguageTest, InGermanTheEngineSpeaksGermanInTheDialogs)
{
    if (g_language != "de")
        GTEST_SKIP() << "runs with --language=de";
    CollectEverything();
    EXPECT_TRUE(m_texts.contains(QStringLiteral("QMessageBox | Pfad zum Internet-Cache nicht eingegeben")))
        << m_texts.filter(QStringLiteral("QMessageBox")).join(u'\n').toStdString();
    EXPECT_TRUE(m_texts.contains(QStringLiteral("CWorking | D: /media/usb \u2014 3.0 MiB von 8.0 MiB, 1.5 MiB/s, noch weniger als eine Minute")))
        << m_texts.filter(QStringLiteral("CWorking")).join(u'\n').toStdString();
    EXPECT_FALSE(m_texts.filter(QRegularExpression(QStringLiteral("^CFileError \\| .*Kein Zugriff auf diese Datei zum Löschen \\[ 2 \\]$"))).isEmpty())
        << m_texts.filter(QStringLiteral("CFileError")).join(u'\n').toStdString();
    // The report's texts, as a reader of the PDF sees them.
    if (RunCommand("command -v pdftotext >/dev/null 2>&1") == 0) {
        const std::string report = SavedReportText();
        for (const char* german : {"Vernichtungsnachweis", "Verfahren", "Grenzen", "Datei sicher löschen",
                                   "Kein Zugriff auf diese Datei zum Löschen", "\"Tarnowick Secure\""})
            EXPECT_NE(report.find(german), std::string::npos) << german << "\n" << report;
        for (const char* english : {"Certificate of Destruction", "Method", "Limits", "destroyed"})
            EXPECT_EQ(report.find(english), std::string::npos) << english << "\n" << report;
    }
    // Qt's own buttons in the same language.
    EXPECT_FALSE(m_texts.filter(QStringLiteral("QMessageBox | OK")).isEmpty());
}

} // namespace

int main(int argc, char** argv)
{
    TempDir config;
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    TempDir run;
    setenv("TARNOWICK_RUN_DIR", run.Path().c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The user's language, before the application object exists.
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--language=", 11) == 0)
            g_language = argv[i] + 11;
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        unsetenv(name);
    if (g_language == "de") {
        setenv("LANGUAGE", "de", 1);
        setenv("LANG", "C.UTF-8", 1);
    } else {
        setenv("LANG", "C", 1);
    }
    QApplication app(argc, argv);
    const InstalledTranslations installed =
        InstallTranslations(app, {QStringLiteral(TARNOWICK_BINARY_DIR "/translations")});
    if (g_language == "de" && (installed.language != QStringLiteral("de") || installed.translators.size() != 2)) {
        std::fprintf(stderr, "LANGUAGE=de installed \"%s\" with %zu translators\n",
                     qPrintable(installed.language), installed.translators.size());
        return 1;
    }
    if (g_language != "de" && !installed.translators.empty()) {
        std::fprintf(stderr, "LANG=C installed a translation\n");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
