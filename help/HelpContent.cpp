// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the manual (res/help) and cuts the context-help texts out of it:
// a topic is a heading with an id, its text runs to the next heading.
#include "help/HelpContent.h"

#include "core/CommandIds.h"
#include "wipe/COpenFileDialog.h"
#include "help/HelpManual.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QWidget>

#include <map>

namespace tw {

namespace {

const QString kHelpRoot = QStringLiteral(":/help/");
const QString kStartPage = QStringLiteral("index.html");

// Command -> topic. Every command of the window has one.
const std::map<int, const char*>& CommandAnchors()
{
    static const std::map<int, const char*> table = {
        {ID_SECURE_DELETE_FILE, "cmd-delete-file"},
        {ID_SECURE_DELETE_CACHE, "cmd-delete-cache"},
        {ID_SECURE_DELETE_TEMP, "cmd-delete-temp"},
        {ID_SECURE_DELETE_OTHER, "cmd-delete-other"},
        {ID_SECURE_DELETE_PREFERENCES, "cmd-delete-preferences"},
        {ID_OVERCOMMIT_SWAPFILE, "cmd-overcommit-swapfile"},
        {ID_SECURE_EMPTY_SPACE, "cmd-empty-space"},
        {ID_FILE_SAVE_REPORT, "cmd-save-report"},
        {ID_VIEW_PREVIEW, "cmd-preview"},
        {ID_APP_EXIT, "cmd-exit"},
        {ID_PREFERENCES, "cmd-preferences"},
        {ID_VIEW_TOOLBAR, "cmd-toolbar"},
        {ID_VIEW_STATUS_BAR, "cmd-status-bar"},
        {ID_VIEW_PROGRESS_BAR, "cmd-progress-bar"},
        {ID_HELP_FINDER, "cmd-help-index"},
        {ID_APP_ABOUT, "cmd-about"},
        {ID_CONTEXT_HELP, "cmd-context-help"},
        {ID_HELP, "cmd-help"},
        {ID_FILE_NEW, "command-line"},
        {ID_FILE_OPEN, "command-line"},
        {ID_EDIT_COPY, "keys-without-effect"},
        {ID_EDIT_CUT, "keys-without-effect"},
        {ID_EDIT_PASTE, "keys-without-effect"},
        {ID_EDIT_UNDO, "keys-without-effect"},
        {ID_NEXT_PANE, "keys-without-effect"},
        {ID_PREV_PANE, "keys-without-effect"},
    };
    return table;
}

// Help identifier -> topic. The preferences dialog's group boxes (and the
// "These Directories only" button) share the topic of the control they
// frame, as its help table maps them.
const std::map<unsigned, const char*>& ControlAnchors()
{
    static const std::map<unsigned, const char*> table = {
        {HelpId(kPreferencesDialogId, 1007), "pref-cache-path"},
        {HelpId(kPreferencesDialogId, 1025), "pref-all-cache"},
        {HelpId(kPreferencesDialogId, 1028), "pref-all-cache"},
        {HelpId(kPreferencesDialogId, 1008), "pref-browse-cache"},
        {HelpId(kPreferencesDialogId, 1009), "pref-temp-path"},
        {HelpId(kPreferencesDialogId, 1026), "pref-all-temp"},
        {HelpId(kPreferencesDialogId, 1010), "pref-browse-temp"},
        {HelpId(kPreferencesDialogId, 1011), "pref-other-path"},
        {HelpId(kPreferencesDialogId, 1027), "pref-all-other"},
        {HelpId(kPreferencesDialogId, 1012), "pref-browse-other"},
        {HelpId(kPreferencesDialogId, 1014), "pref-search-in"},
        {HelpId(kPreferencesDialogId, 1013), "pref-search-in"},
        {HelpId(kPreferencesDialogId, 1047), "pref-search-in"},
        {HelpId(kPreferencesDialogId, 1021), "pref-subdirectories"},
        {HelpId(kPreferencesDialogId, 1024), "pref-file-types"},
        {HelpId(kPreferencesDialogId, 1038), "pref-file-types"},
        {HelpId(kPreferencesDialogId, 1019), "pref-add"},
        {HelpId(kPreferencesDialogId, 1020), "pref-delete"},
        {HelpId(kPreferencesDialogId, 1036), "pref-drives"},
        {HelpId(kPreferencesDialogId, 1039), "pref-drives"},
        {HelpId(kPreferencesDialogId, IDOK), "pref-ok"},
        {HelpId(kPreferencesDialogId, IDCANCEL), "pref-cancel"},

        {HelpId(kConfirmDialogId, 1004), "confirm-file"},
        {HelpId(kConfirmDialogId, IDC_YES), "confirm-yes"},
        {HelpId(kConfirmDialogId, IDC_YES_TO_ALL), "confirm-yes-to-all"},
        {HelpId(kConfirmDialogId, IDC_NO), "confirm-no"},
        {HelpId(kConfirmDialogId, IDCANCEL), "confirm-cancel"},

        {HelpId(kFileErrorDialogId, 1051), "file-error-file"},
        {HelpId(kFileErrorDialogId, 1050), "file-error-message"},
        {HelpId(kFileErrorDialogId, IDC_IGNORE), "file-error-ignore"},
        {HelpId(kFileErrorDialogId, IDC_CANCEL_OPERATION), "file-error-cancel"},

        {HelpId(kProgressBoxId, 1043), "progress-bar"},
        {HelpId(kProgressBoxId, 1052), "progress-text"},

        {HelpId(kSelectDrivesDialogId, 1055), "select-drives-tree"},
        {HelpId(kSelectDrivesDialogId, IDOK), "select-drives-ok"},
        {HelpId(kSelectDrivesDialogId, IDCANCEL), "select-drives-cancel"},

        {HelpId(kDiskErrorDialogId, 1057), "disk-error-text"},
        {HelpId(kDiskErrorDialogId, IDC_IGNORE), "disk-error-ignore"},
        {HelpId(kDiskErrorDialogId, IDC_CANCEL_OPERATION), "disk-error-cancel"},

        {HelpId(kWorkingDialogId, 1061), "working-animation"},

        {HelpId(kAboutDialogId, IDOK), "cmd-about"},
    };
    return table;
}

// Dialog caption -> topic, for F1 where the focused control has no help.
// A caption is known in English and in the user's language, as the dialog
// shows it: each is marked with the context of the dialog that sets it.
struct DialogAnchor {
    const char* context;  // null: the caption is never translated
    const char* caption;
    const char* anchor;
};
constexpr DialogAnchor kDialogAnchors[] = {
    {"tw::CPreferences", QT_TRANSLATE_NOOP("tw::CPreferences", "Tarnowick Preferences"), "cmd-preferences"},
    {"tw::CConfirm", QT_TRANSLATE_NOOP("tw::CConfirm", "Secure Delete Confirm"), "dlg-confirm"},
    {"tw::CFileError", QT_TRANSLATE_NOOP("tw::CFileError", "Secure Delete Error"), "dlg-file-error"},
    {"tw::CProgressBox", QT_TRANSLATE_NOOP("tw::CProgressBox", "Tarnowick Secure Delete Progress"), "dlg-progress"},
    {"tw::CSelectDrives", QT_TRANSLATE_NOOP("tw::CSelectDrives", "Tarnowick Select Drives"), "dlg-select-drives"},
    {"tw::CDiskError", QT_TRANSLATE_NOOP("tw::CDiskError", "Tarnowick Secure Delete"), "dlg-disk-error"},
    {"tw::CWorking", QT_TRANSLATE_NOOP("tw::CWorking", "Tarnowick Secure Delete Working"), "dlg-working"},
    {"tw::CAboutDlg", QT_TRANSLATE_NOOP("tw::CAboutDlg", "About Tarnowick Secure Delete"), "cmd-about"},
    {"tw::ModalSeam", QT_TRANSLATE_NOOP("tw::ModalSeam", "Tarnowick Parameters"), "messages-parameters"},
    {"tw::CHelpWindow", QT_TRANSLATE_NOOP("tw::CHelpWindow", "Tarnowick Help"), "help-using"},
    {"tw::CPreviewWindow", QT_TRANSLATE_NOOP("tw::CPreviewWindow", "Tarnowick Preview"), "cmd-preview"},
    {nullptr, "Tarnowick", "window"},
};

// Whether a window's title is `caption` of `context`, in English or as
// translated.
bool IsCaption(const QString& title, const char* context, const char* caption)
{
    return title == QLatin1String(caption)
        || (context && title == QCoreApplication::translate(context, caption));
}

QString ReadResource(const QString& file)
{
    QFile f(kHelpRoot + file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QString PlainText(const QString& html)
{
    return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}

} // namespace

HelpManual::HelpManual()
{
    const QString start = ReadResource(kStartPage);
    if (start.isEmpty()) {
        m_problems << QStringLiteral("the start page %1 is missing").arg(kStartPage);
        return;
    }
    // The start page's contents list gives the pages and their order.
    QStringList files{kStartPage};
    static const QRegularExpression list(QStringLiteral(R"re(<ul class="contents">(.*?)</ul>)re"),
                                         QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression link(QStringLiteral(R"re(href="([^"#]+)")re"));
    const QRegularExpressionMatch contents = list.match(start);
    if (!contents.hasMatch())
        m_problems << QStringLiteral("the start page has no contents list");
    for (auto it = link.globalMatch(contents.captured(1)); it.hasNext();) {
        const QString file = it.next().captured(1);
        if (!files.contains(file))
            files << file;
    }
    for (const QString& file : files)
        ReadPage(file);
}

void HelpManual::ReadPage(const QString& file)
{
    const QString html = ReadResource(file);
    if (html.isEmpty()) {
        m_problems << QStringLiteral("the page %1 is missing").arg(file);
        return;
    }
    HelpPage page;
    page.file = file;
    static const QRegularExpression titleRe(QStringLiteral("<title>(.*?)</title>"),
                                            QRegularExpression::DotMatchesEverythingOption);
    page.title = PlainText(titleRe.match(html).captured(1));

    static const QRegularExpression headingRe(QStringLiteral(R"re(<h([1-6])([^>]*)>(.*?)</h\1>)re"),
                                              QRegularExpression::DotMatchesEverythingOption
                                                  | QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression idRe(QStringLiteral(R"re(\bid\s*=\s*"([^"]+)")re"));
    static const QRegularExpression localLinkRe(QStringLiteral(R"re(href="#)re"));

    qsizetype bodyEnd = html.indexOf(QStringLiteral("</body>"));
    if (bodyEnd < 0)
        bodyEnd = html.size();
    std::vector<QRegularExpressionMatch> headings;
    for (auto it = headingRe.globalMatch(html); it.hasNext();)
        headings.push_back(it.next());
    for (size_t i = 0; i < headings.size(); ++i) {
        const QRegularExpressionMatch& h = headings[i];
        const QString anchor = idRe.match(h.captured(2)).captured(1);
        if (anchor.isEmpty())
            continue;
        if (Topic(anchor)) {
            m_problems << QStringLiteral("the id %1 is used twice (%2)").arg(anchor, file);
            continue;
        }
        const qsizetype from = h.capturedEnd(0);
        const qsizetype to = i + 1 < headings.size() ? headings[i + 1].capturedStart(0) : bodyEnd;
        HelpTopic topic;
        topic.file = file;
        topic.anchor = anchor;
        topic.title = PlainText(h.captured(3));
        topic.level = h.captured(1).toInt();
        // A link to a section of the same page must still lead there when
        // the text is shown outside the page.
        topic.body = html.mid(from, to - from).trimmed();
        topic.body.replace(localLinkRe, QStringLiteral("href=\"%1#").arg(file));
        m_topics.push_back(topic);
        page.anchors.push_back(anchor);
    }
    m_pages.push_back(page);
}

const HelpManual& HelpManual::Get()
{
    static const HelpManual manual;
    return manual;
}

const HelpTopic* HelpManual::Topic(const QString& anchor) const
{
    for (const HelpTopic& t : m_topics)
        if (t.anchor == anchor)
            return &t;
    return nullptr;
}

QString HelpManual::ContextText(const QString& anchor) const
{
    const HelpTopic* t = Topic(anchor);
    if (!t)
        return {};
    return QStringLiteral("<p><b>%1</b></p>%2<p><a href=\"%3#%4\">%5</a></p>")
        .arg(t->title.toHtmlEscaped(), t->body, t->file, t->anchor,
             QCoreApplication::translate("tw::HelpManual", "More in the manual...").toHtmlEscaped());
}

QUrl HelpUrl(const QString& fileOrHref)
{
    return QUrl(QStringLiteral("qrc:/help/")).resolved(QUrl(fileOrHref));
}

QUrl HelpTopicUrl(const QString& anchor)
{
    const HelpTopic* t = HelpManual::Get().Topic(anchor);
    return t ? HelpUrl(t->file + QLatin1Char('#') + t->anchor) : HelpUrl(kStartPage);
}

QString CommandHelpAnchor(int commandId)
{
    const auto& table = CommandAnchors();
    const auto it = table.find(commandId);
    return it == table.end() ? QString() : QString::fromLatin1(it->second);
}

QString HelpIdAnchor(unsigned helpId)
{
    const auto& table = ControlAnchors();
    const auto it = table.find(helpId);
    return it == table.end() ? QString() : QString::fromLatin1(it->second);
}

QString DialogHelpAnchor(const QString& caption)
{
    for (const DialogAnchor& d : kDialogAnchors)
        if (IsCaption(caption, d.context, d.caption))
            return QString::fromLatin1(d.anchor);
    return {};
}

QString ContextHelpAnchor(const QWidget* focus)
{
    static const QRegularExpression manualLink(QStringLiteral(R"re(href="([^"]*#([^"]+))")re"));
    for (const QWidget* w = focus; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        // The last link of a context text is the one into its own topic.
        QString anchor;
        for (auto it = manualLink.globalMatch(w->whatsThis()); it.hasNext();)
            anchor = it.next().captured(2);
        if (!anchor.isEmpty() && HelpManual::Get().Topic(anchor))
            return anchor;
    }
    if (!focus)
        return QStringLiteral("help-start");
    // The file dialogs share their caption with the disk error dialog; the
    // window they were opened from tells what they are for.
    if (qobject_cast<const QFileDialog*>(focus->window())
        && IsCaption(focus->window()->windowTitle(), "tw::CMainFrame", "Save Destruction Report"))
        return QStringLiteral("cmd-save-report");
    if (qobject_cast<const COpenFileDialog*>(focus->window())) {
        const QWidget* owner = focus->window()->parentWidget();
        if (owner && IsCaption(owner->window()->windowTitle(), "tw::CPreferences", "Tarnowick Preferences"))
            return QStringLiteral("pref-locations");
        return QStringLiteral("cmd-delete-file");
    }
    const QString byCaption = DialogHelpAnchor(focus->window()->windowTitle());
    return byCaption.isEmpty() ? QStringLiteral("help-start") : byCaption;
}

QString HelpText(unsigned helpId)
{
    return HelpManual::Get().ContextText(HelpIdAnchor(helpId));
}

QString CommandHelpText(int commandId)
{
    return HelpManual::Get().ContextText(CommandHelpAnchor(commandId));
}

} // namespace tw
