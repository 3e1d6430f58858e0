// SPDX-License-Identifier: GPL-3.0-or-later
// The certificate is laid out as rich text; the item list is drawn line by
// line, since a sweep may list a hundred thousand files and a rich-text
// table of that size takes minutes to lay out.
#include "app/ReportPdf.h"

#include "app/ItemReport.h"
#include "app/Translations.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include <algorithm>
#include <set>

namespace tw {

namespace {

QString Html(const std::string& bytes) { return EscapedText(bytes).toHtmlEscaped(); }

// The report's words, in the user's language.
struct PdfText {
    Q_DECLARE_TR_FUNCTIONS(tw::ReportPdf)
};

QString LeftText(int cause) { return tw::PdfText::tr("left [ %1 ]").arg(cause); }

QString ShownTime(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                          : tw::PdfText::tr("still running");
}

QString CertificateHtml(const CSessionRecord& record, const ReportHeading& heading)
{
    QString html;
    html += QStringLiteral("<h1>%1</h1>").arg(tw::PdfText::tr("Certificate of Destruction"));
    html += QStringLiteral("<p>%1</p>").arg(tw::PdfText::tr("Made by %1 %2 from the record of one session.")
                                                .arg(Html(heading.program), Html(heading.version)));
    html += QStringLiteral("<table cellpadding=\"3\">"
                           "<tr><td><b>%1</b></td><td>%2</td></tr>"
                           "<tr><td><b>%3</b></td><td>%4</td></tr>"
                           "<tr><td><b>%5</b></td><td>%6</td></tr></table>")
                .arg(tw::PdfText::tr("Host"), Html(heading.host), tw::PdfText::tr("User"), Html(heading.user),
                     tw::PdfText::tr("Date"), IsoTime(heading.created).toHtmlEscaped());

    html += QStringLiteral("<h2>%1</h2><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">"
                           "<tr><th>%2</th><th>%3</th><th>%4</th><th>%5</th></tr>")
                .arg(tw::PdfText::tr("Commands"), tw::PdfText::tr("Command"), tw::PdfText::tr("Started"), tw::PdfText::tr("Ended"),
                     tw::PdfText::tr("Result"));
    std::set<RecordMethod> methods;
    for (size_t i = 0; i < record.CommandCount(); ++i) {
        const RecordedCommand c = record.Command(i);
        methods.insert(c.method);
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>")
                    .arg(Html(c.name), ShownTime(c.started), ShownTime(c.ended), Html(SummaryText(c.counts, true)));
    }
    html += QStringLiteral("</table>");
    html += QStringLiteral("<p><b>%1</b> %2.</p>")
                .arg(tw::PdfText::tr("In all:"), Html(SummaryText(record.Totals(), true)));

    html += QStringLiteral("<h2>%1</h2>").arg(tw::PdfText::tr("Method"));
    for (RecordMethod method : methods)
        html += QStringLiteral("<p>%1</p>").arg(Html(MethodText(method)));

    html += QStringLiteral("<h2>%1</h2><ul>").arg(tw::PdfText::tr("Limits"));
    for (const std::string& limit : ReportLimits())
        html += QStringLiteral("<li>%1</li>").arg(Html(limit));
    html += QStringLiteral("</ul><p>%1</p>")
                .arg(tw::PdfText::tr("The items follow, one line each, in the order they were destroyed or left. "
                                 "Bytes of a name that are not UTF-8 are written as \\x and two hex digits, a "
                                 "backslash as two backslashes.")
                         .toHtmlEscaped());
    return html;
}

// Draws the item list page by page below a running footer.
class ItemPages {
public:
    ItemPages(QPdfWriter& writer, QPainter& painter) : m_writer(writer), m_painter(painter)
    {
        m_area = QRectF(QPointF(0, 0), QSizeF(writer.width(), writer.height()));
        m_font = painter.font();
        m_font.setPointSizeF(8);
        m_bold = m_font;
        m_bold.setBold(true);
        const QFontMetricsF fm(m_font, &writer);
        m_line = fm.lineSpacing();
        m_resultWidth = std::max(fm.horizontalAdvance(LeftText(14) + QStringLiteral("  ")),
                                 fm.horizontalAdvance(tw::PdfText::tr("destroyed") + QStringLiteral("  ")));
        m_sizeWidth = fm.horizontalAdvance(QStringLiteral("1000.0 MB  "));
        m_bottom = m_area.bottom() - 2 * m_line;
    }

    void StartPage()
    {
        ++m_page;
        m_writer.newPage();
        m_y = m_area.top();
        const QFont current = m_painter.font();
        m_painter.setFont(m_font);
        m_painter.drawText(QRectF(m_area.left(), m_area.bottom() - m_line, m_area.width(), m_line),
                           Qt::AlignRight, tw::PdfText::tr("Tarnowick destruction report, items, page %1").arg(m_page));
        m_painter.setFont(current);
    }

    void Heading(const QString& text)
    {
        m_painter.setFont(m_bold);
        const QRectF area(m_area.left(), 0, m_area.width(), m_area.height());
        const double height = Height(area, text);
        Need(m_line + height + 2 * m_line);
        m_y += m_line;
        m_painter.drawText(QRectF(area.left(), m_y, area.width(), height), Qt::TextWordWrap, text);
        m_y += height;
        m_painter.setFont(m_font);
    }

    void Item(const QString& result, const QString& size, const QString& path, const QString& message)
    {
        const QRectF textArea(m_area.left() + m_resultWidth + m_sizeWidth, 0,
                              m_area.width() - m_resultWidth - m_sizeWidth, m_area.height());
        const double pathHeight = Height(textArea, path);
        const double messageHeight = message.isEmpty() ? 0 : Height(textArea, message);
        Need(pathHeight + messageHeight);
        m_painter.drawText(QRectF(m_area.left(), m_y, m_resultWidth, m_line), Qt::AlignLeft, result);
        m_painter.drawText(QRectF(m_area.left() + m_resultWidth, m_y, m_sizeWidth - m_line / 2, m_line),
                           Qt::AlignRight, size);
        m_painter.drawText(QRectF(textArea.left(), m_y, textArea.width(), pathHeight), Qt::TextWrapAnywhere, path);
        m_y += pathHeight;
        if (!message.isEmpty()) {
            m_painter.drawText(QRectF(textArea.left(), m_y, textArea.width(), messageHeight), Qt::TextWordWrap, message);
            m_y += messageHeight;
        }
    }

    void Note(const QString& text)
    {
        const QRectF area(m_area.left(), 0, m_area.width(), m_area.height());
        const double height = Height(area, text);
        Need(height);
        m_painter.drawText(QRectF(area.left(), m_y, area.width(), height), Qt::TextWordWrap, text);
        m_y += height;
    }

private:
    // One line for most names; the wrapping layout only for long ones.
    double Height(const QRectF& area, const QString& text)
    {
        const QFontMetricsF fm(m_painter.font(), &m_writer);
        if (fm.horizontalAdvance(text) <= area.width())
            return m_line;
        return m_painter.boundingRect(QRectF(area.left(), 0, area.width(), m_area.height()),
                                      Qt::TextWrapAnywhere, text).height();
    }

    void Need(double height)
    {
        if (m_page == 0 || m_y + height > m_bottom)
            StartPage();
    }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    QRectF m_area;
    QFont m_font;
    QFont m_bold;
    double m_line = 0;
    double m_resultWidth = 0;
    double m_sizeWidth = 0;
    double m_bottom = 0;
    double m_y = 0;
    int m_page = 0;
};

} // namespace

bool WriteReportPdf(const CSessionRecord& record, const ReportHeading& heading, const QString& path, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    // The report names destroyed files: nobody else needs to read it.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        QPdfWriter writer(&file);
        writer.setTitle(tw::PdfText::tr("Tarnowick destruction report"));
        writer.setCreator(QStringLiteral("Tarnowick"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
        writer.setResolution(300);

        QPainter painter(&writer);
        if (!painter.isActive()) {
            *error = tw::PdfText::tr("The PDF could not be started.");
            return false;
        }

        // The certificate, split into pages if it is longer than one.
        QTextDocument certificate;
        certificate.documentLayout()->setPaintDevice(&writer);
        QFont base = painter.font();
        base.setPointSizeF(10);
        // Without shaping the font's ligatures stay off: a reader then finds
        // "file" in the text, not a joined "fi" glyph. Scripts that need
        // shaping are still shaped.
        base.setStyleStrategy(QFont::PreferNoShaping);
        certificate.setDefaultFont(base);
        const QSizeF page(writer.width(), writer.height());
        certificate.setPageSize(page);
        certificate.setHtml(CertificateHtml(record, heading));
        for (int p = 0; p < certificate.pageCount(); ++p) {
            if (p > 0)
                writer.newPage();
            painter.save();
            painter.translate(0, -p * page.height());
            certificate.drawContents(&painter, QRectF(QPointF(0, p * page.height()), page));
            painter.restore();
        }

        painter.setFont(base);
        ItemPages items(writer, painter);
        for (size_t i = 0; i < record.CommandCount(); ++i) {
            const RecordedCommand c = record.Command(i);
            items.Heading(tw::PdfText::tr("%1, started %2, ended %3: %4")
                              .arg(EscapedText(c.name), ShownTime(c.started), ShownTime(c.ended),
                                   EscapedText(SummaryText(c.counts, true))));
            record.ForEachItem(i, [&](const ItemResult& item) {
                const QString result = item.destroyed ? tw::PdfText::tr("destroyed")
                                     : item.removed ? tw::PdfText::tr("removed")
                                                    : LeftText(item.cause);
                const QString size = item.size > 0 ? QString::fromStdString(FormatSize(item.size)) : QString();
                const QString what = item.kind == ItemKind::Memory ? tw::PdfText::tr("memory held") : EscapedText(item.path);
                items.Item(result, size, what, EscapedText(item.message));
            });
            if (c.counts.unlisted > 0)
                items.Note(tw::PdfText::tr("%n more items destroyed (%1) are not listed.", nullptr,
                                       PluralCount(c.counts.unlisted))
                               .arg(QString::fromStdString(FormatSize(c.counts.unlistedBytes))));
            if (c.listed == 0 && c.counts.unlisted == 0)
                items.Note(tw::PdfText::tr("No items."));
        }
        if (!painter.end()) {
            *error = tw::PdfText::tr("The PDF could not be finished.");
            return false;
        }
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace tw
