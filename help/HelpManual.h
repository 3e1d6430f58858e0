// SPDX-License-Identifier: GPL-3.0-or-later
// The manual as the program reads it: its pages in contents order, and every
// section that carries an id as a topic. The context-help texts are cut from
// the same sections, so the manual and the pop-ups cannot disagree.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <vector>

class QWidget;

namespace tw {

// A section of a page: a heading with an id, and the text up to the next heading.
struct HelpTopic {
    QString file;    // page file name, e.g. "sweeps.html"
    QString anchor;  // the heading's id, unique in the whole manual
    QString title;   // the heading as plain text
    int level = 1;   // 1 for <h1> ... 6 for <h6>
    QString body;    // HTML between this heading and the next one
};

struct HelpPage {
    QString file;
    QString title;                // the page's <title>
    std::vector<QString> anchors; // its topics, in page order
};

class HelpManual {
public:
    // Read from the program's resources at first use.
    static const HelpManual& Get();

    const std::vector<HelpPage>& Pages() const { return m_pages; }  // the start page first
    const HelpTopic* Topic(const QString& anchor) const;
    // Faults found while reading (a missing page, an id used twice); empty when sound.
    const QStringList& Problems() const { return m_problems; }

    // The topic as a short context text: title, section text, and a link
    // into the manual. Links inside point at the manual's pages.
    QString ContextText(const QString& anchor) const;

private:
    HelpManual();
    void ReadPage(const QString& file);

    std::vector<HelpPage> m_pages;
    std::vector<HelpTopic> m_topics;
    QStringList m_problems;
};

// The root of the manual's files in the resources, and a topic's address there.
QUrl HelpUrl(const QString& fileOrHref);  // "sweeps.html#cmd-delete-cache" -> qrc:/help/...
QUrl HelpTopicUrl(const QString& anchor); // by the anchor alone; the start page when unknown

// Which topic answers a command, a control's help identifier, or a dialog
// (by its caption). Empty when there is none.
QString CommandHelpAnchor(int commandId);
QString HelpIdAnchor(unsigned helpId);
QString DialogHelpAnchor(const QString& caption);

// The topic for the current context: the nearest widget from `focus` upwards
// whose What's This text links into the manual, else the topic of its window.
QString ContextHelpAnchor(const QWidget* focus);

} // namespace tw
