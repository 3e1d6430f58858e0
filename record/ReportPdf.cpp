// SPDX-License-Identifier: GPL-3.0-or-later
// The whole report is drawn block by block on the painter: a paragraph, a
// table row or an item line is measured first and starts a new page when
// the rest of the page cannot hold it. Nothing is drawn across a page's
// edge, so a reader never finds half a paragraph at the foot of one page,
// nor a line on two pages. The item list is drawn line by line, since a
// sweep may list a hundred thousand files.
#include "record/ReportPdf.h"

#include "record/ItemReport.h"
#include "core/Translations.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTextOption>

#include <algorithm>
#include <set>
#include <vector>

namespace tw {

namespace {

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

QString Shown(const std::string& bytes) { return EscapedText(bytes); }

// The pages of the report, filled from the top down.
class PdfPages {
public:
    PdfPages(QPdfWriter& writer, QPainter& painter, const QFont& base) : m_writer(writer), m_painter(painter)
    {
        m_area = QRectF(QPointF(0, 0), QSizeF(writer.width(), writer.height()));
        m_small = base;
        m_small.setPointSizeF(8);
        m_line = QFontMetricsF(m_small, &writer).lineSpacing();
        m_bottom = m_area.bottom() - 2 * m_line;
    }

    double Width() const { return m_area.width(); }
    double Left() const { return m_area.left(); }
    double LineHeight(const QFont& font) const { return QFontMetricsF(font, &m_writer).lineSpacing(); }
    double Advance(const QFont& font, const QString& text) const
    {
        return QFontMetricsF(font, &m_writer).horizontalAdvance(text);
    }

    // The footer of the pages started from now on.
    void SetFooter(const QString& footer) { m_footer = footer; }
    // The next block starts on a new page.
    void BreakPage() { m_y = m_bottom + 1; }

    // Room for a block of `height`: on this page if it fits below what is
    // there, else at the top of a new page. Returns where it starts.
    double Place(double height)
    {
        if (m_page == 0 || m_y + height > m_bottom)
            StartPage();
        const double top = m_y;
        m_y += height;
        return top;
    }
    // True when a block of `height` still fits on this page.
    bool Fits(double height) const { return m_page > 0 && m_y + height <= m_bottom; }
    // Space between blocks; none at the top of a page.
    void Gap(double height)
    {
        if (m_page > 0 && m_y > m_area.top())
            m_y = std::min(m_y + height, m_bottom + 1);
    }

    // How text is broken into lines: prose at word boundaries, and a word
    // too long for the line (a path) anywhere; a path of the item list
    // anywhere. Nothing is cut off at the edge.
    static QTextOption Option(int flags)
    {
        QTextOption option(Qt::Alignment(flags & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
        option.setWrapMode(flags & Qt::TextWrapAnywhere ? QTextOption::WrapAnywhere
                           : flags & Qt::TextWordWrap  ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                                       : QTextOption::NoWrap);
        return option;
    }

    // The height `text` takes in `font` within `width`.
    double TextHeight(const QFont& font, double width, const QString& text, int flags)
    {
        const QFontMetricsF fm(font, &m_writer);
        if (!text.contains(QLatin1Char('\n')) && fm.horizontalAdvance(text) <= width)
            return fm.lineSpacing();
        m_painter.setFont(font);
        return m_painter.boundingRect(QRectF(0, 0, width, 1e7), text, Option(flags)).height();
    }

    void Draw(const QFont& font, const QRectF& rect, int flags, const QString& text)
    {
        m_painter.setFont(font);
        m_painter.drawText(rect, text, Option(flags));
    }

    // A paragraph, kept whole on one page.
    void Paragraph(const QFont& font, const QString& text, double indent = 0, int flags = Qt::TextWordWrap)
    {
        const double width = Width() - indent;
        const double height = TextHeight(font, width, text, flags);
        const double top = Place(height);
        Draw(font, QRectF(Left() + indent, top, width, height), flags, text);
    }

    QPainter& Painter() { return m_painter; }

private:
    void StartPage()
    {
        if (m_page > 0)
            m_writer.newPage();
        ++m_page;
        m_y = m_area.top();
        Draw(m_small, QRectF(m_area.left(), m_area.bottom() - m_line, m_area.width(), m_line), Qt::AlignRight,
             m_footer.arg(m_page));
    }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    QRectF m_area;
    QFont m_small;
    QString m_footer;
    double m_line = 0;
    double m_bottom = 0;
    double m_y = 0;
    int m_page = 0;
};

// A table whose rows are kept whole: a row that does not fit on the rest
// of a page starts the next one. The heading row is drawn once, so that a
// reader of the text finds every line once.
class PdfTable {
public:
    // `widths`: every column but the last, which takes the rest.
    PdfTable(PdfPages& pages, const QFont& font, const QFont& bold, const std::vector<double>& widths,
             const QStringList& heading)
        : m_pages(pages), m_font(font), m_bold(bold), m_heading(heading)
    {
        m_padding = pages.LineHeight(font) / 4;
        double left = pages.Left();
        for (double width : widths) {
            m_columns.push_back({left, width + 2 * m_padding});
            left += width + 2 * m_padding;
        }
        m_columns.push_back({left, pages.Left() + pages.Width() - left});
    }
    double Padding() const { return m_padding; }

    void Heading() { Row(m_heading, true); }

    void Row(const QStringList& cells, bool heading = false)
    {
        const QFont& font = heading ? m_bold : m_font;
        double height = 0;
        for (qsizetype i = 0; i < cells.size() && i < qsizetype(m_columns.size()); ++i)
            height = std::max(height, m_pages.TextHeight(font, m_columns[size_t(i)].second - 2 * m_padding, cells[i],
                                                         Qt::TextWordWrap));
        height += 2 * m_padding;
        const double top = m_pages.Place(height);
        QPainter& painter = m_pages.Painter();
        for (qsizetype i = 0; i < cells.size() && i < qsizetype(m_columns.size()); ++i) {
            const auto [left, width] = m_columns[size_t(i)];
            painter.drawRect(QRectF(left, top, width, height));
            m_pages.Draw(font, QRectF(left + m_padding, top + m_padding, width - 2 * m_padding, height - 2 * m_padding),
                         Qt::TextWordWrap, cells[i]);
        }
    }

private:
    PdfPages& m_pages;
    QFont m_font;
    QFont m_bold;
    QStringList m_heading;
    std::vector<std::pair<double, double>> m_columns;
    double m_padding = 0;
};

void DrawCertificate(PdfPages& pages, const CSessionRecord& record, const ReportHeading& heading, const QFont& base)
{
    QFont bold = base;
    bold.setBold(true);
    QFont title = bold;
    title.setPointSizeF(18);
    QFont section = bold;
    section.setPointSizeF(13);
    const double line = pages.LineHeight(base);

    pages.SetFooter(tw::PdfText::tr("Tarnowick destruction report, certificate, page %1"));
    pages.Paragraph(title, tw::PdfText::tr("Certificate of Destruction"));
    pages.Gap(line / 2);
    pages.Paragraph(base, tw::PdfText::tr("Made by %1 %2 from the record of one session.")
                              .arg(Shown(heading.program), Shown(heading.version)));
    pages.Gap(line / 2);
    const double labelWidth = pages.Width() / 6;
    for (const auto& [label, value] : {std::pair{tw::PdfText::tr("Host"), Shown(heading.host)},
                                       std::pair{tw::PdfText::tr("User"), Shown(heading.user)},
                                       std::pair{tw::PdfText::tr("Date"), IsoTime(heading.created)}}) {
        const double height = pages.TextHeight(base, pages.Width() - labelWidth, value, Qt::TextWrapAnywhere);
        const double top = pages.Place(height);
        pages.Draw(bold, QRectF(pages.Left(), top, labelWidth, line), Qt::AlignLeft, label);
        pages.Draw(base, QRectF(pages.Left() + labelWidth, top, pages.Width() - labelWidth, height),
                   Qt::TextWrapAnywhere, value);
    }

    // A heading stays with at least two lines of what follows it.
    const auto sectionHeading = [&](const QString& text) {
        pages.Gap(line);
        if (!pages.Fits(pages.LineHeight(section) + 3 * line))
            pages.BreakPage();
        pages.Paragraph(section, text);
        pages.Gap(line / 3);
    };

    sectionHeading(tw::PdfText::tr("Commands"));
    // The names and times stand whole on one line; the result takes the rest.
    QFont cell = base;
    cell.setPointSizeF(9);
    QFont cellBold = cell;
    cellBold.setBold(true);
    const QStringList headings = {tw::PdfText::tr("Command"), tw::PdfText::tr("Started"), tw::PdfText::tr("Ended"),
                                  tw::PdfText::tr("Result")};
    double nameWidth = std::max(pages.Advance(cellBold, headings[0]), pages.Advance(cell, QStringLiteral("Secure Delete File")));
    for (size_t i = 0; i < record.CommandCount(); ++i)
        nameWidth = std::max(nameWidth, pages.Advance(cell, Shown(record.Command(i).name)));
    nameWidth = std::min(nameWidth, pages.Width() / 3);
    const double timeWidth = std::max({pages.Advance(cell, ShownTime(heading.created)), pages.Advance(cellBold, headings[1]),
                                       pages.Advance(cellBold, headings[2])});
    PdfTable table(pages, cell, cellBold, {nameWidth, timeWidth, timeWidth}, headings);
    table.Heading();
    std::set<RecordMethod> methods;
    for (size_t i = 0; i < record.CommandCount(); ++i) {
        const RecordedCommand c = record.Command(i);
        // A command that did not run destroyed nothing and used no method.
        if (!c.notRun)
            methods.insert(c.method);
        table.Row({Shown(c.name), ShownTime(c.started), c.notRun ? QString() : ShownTime(c.ended),
                   Shown(CommandSummaryText(c, true))});
    }
    pages.Gap(line / 2);
    pages.Paragraph(base, tw::PdfText::tr("In all: %1.").arg(Shown(SummaryText(record.Totals(), true))));

    sectionHeading(tw::PdfText::tr("Method"));
    for (RecordMethod method : methods) {
        pages.Paragraph(base, Shown(MethodText(method)));
        pages.Gap(line / 2);
    }

    sectionHeading(tw::PdfText::tr("Limits"));
    for (const std::string& limit : ReportLimits()) {
        const QString bullet = QStringLiteral("\u2022");
        const double indent = line * 1.2;
        const double height = pages.TextHeight(base, pages.Width() - indent, Shown(limit), Qt::TextWordWrap);
        const double top = pages.Place(height);
        pages.Draw(base, QRectF(pages.Left(), top, indent, line), Qt::AlignLeft, bullet);
        pages.Draw(base, QRectF(pages.Left() + indent, top, pages.Width() - indent, height), Qt::TextWordWrap,
                   Shown(limit));
        pages.Gap(line / 3);
    }
    pages.Gap(line / 2);
    pages.Paragraph(base, tw::PdfText::tr("The items follow, one line each, in the order they were destroyed or left. "
                                          "Bytes of a name that are not UTF-8 are written as \\x and two hex digits, a "
                                          "backslash as two backslashes."));
}

// The item list: a heading per command, then one line per item.
class ItemLines {
public:
    ItemLines(PdfPages& pages, const QFont& base) : m_pages(pages)
    {
        m_font = base;
        m_font.setPointSizeF(8);
        m_bold = m_font;
        m_bold.setBold(true);
        m_line = pages.LineHeight(m_font);
        m_resultWidth = m_line + std::max(pages.Advance(m_font, LeftText(14)),
                                          pages.Advance(m_font, tw::PdfText::tr("destroyed")));
        m_sizeWidth = m_line + pages.Advance(m_font, QString::fromStdString(FormatSize(1023)));
    }

    void Heading(const QString& text)
    {
        const double height = m_pages.TextHeight(m_bold, m_pages.Width(), text, Qt::TextWordWrap);
        // Never alone at the foot of a page: with the space above it and
        // the first item below it.
        if (!m_pages.Fits(m_line + height + m_line))
            m_pages.BreakPage();
        m_pages.Gap(m_line);
        const double top = m_pages.Place(height);
        m_pages.Draw(m_bold, QRectF(m_pages.Left(), top, m_pages.Width(), height), Qt::TextWordWrap, text);
    }

    void Item(const QString& result, const QString& size, const QString& path, const QString& message)
    {
        const double textLeft = m_pages.Left() + m_resultWidth + m_sizeWidth;
        const double textWidth = m_pages.Width() - m_resultWidth - m_sizeWidth;
        const double pathHeight = m_pages.TextHeight(m_font, textWidth, path, Qt::TextWrapAnywhere);
        const double messageHeight =
            message.isEmpty() ? 0 : m_pages.TextHeight(m_font, textWidth, message, Qt::TextWordWrap);
        const double top = m_pages.Place(pathHeight + messageHeight);
        m_pages.Draw(m_font, QRectF(m_pages.Left(), top, m_resultWidth, m_line), Qt::AlignLeft, result);
        m_pages.Draw(m_font, QRectF(m_pages.Left() + m_resultWidth, top, m_sizeWidth - m_line / 2, m_line),
                     Qt::AlignRight, size);
        m_pages.Draw(m_font, QRectF(textLeft, top, textWidth, pathHeight), Qt::TextWrapAnywhere, path);
        if (!message.isEmpty())
            m_pages.Draw(m_font, QRectF(textLeft, top + pathHeight, textWidth, messageHeight), Qt::TextWordWrap,
                         message);
    }

    void Note(const QString& text) { m_pages.Paragraph(m_font, text); }

private:
    PdfPages& m_pages;
    QFont m_font;
    QFont m_bold;
    double m_line = 0;
    double m_resultWidth = 0;
    double m_sizeWidth = 0;
};

} // namespace

QByteArray ReportPdf(const CSessionRecord& record, const ReportHeading& heading, QString* error, const ReportStep& step)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(tw::PdfText::tr("Tarnowick destruction report"));
        writer.setCreator(QStringLiteral("Tarnowick"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
        writer.setResolution(300);

        QPainter painter(&writer);
        if (!painter.isActive()) {
            *error = tw::PdfText::tr("The PDF could not be started.");
            return {};
        }
        QFont base = painter.font();
        base.setPointSizeF(10);
        // Without shaping the font's ligatures stay off: a reader then finds
        // "file" in the text, not a joined "fi" glyph. Scripts that need
        // shaping are still shaped.
        base.setStyleStrategy(QFont::PreferNoShaping);
        painter.setFont(base);

        PdfPages pages(writer, painter, base);
        DrawCertificate(pages, record, heading, base);

        pages.BreakPage();
        pages.SetFooter(tw::PdfText::tr("Tarnowick destruction report, items, page %1"));
        ItemLines items(pages, base);
        for (size_t i = 0; i < record.CommandCount(); ++i) {
            const RecordedCommand c = record.Command(i);
            items.Heading(c.notRun ? tw::PdfText::tr("%1, %2: %3")
                                         .arg(Shown(c.name), ShownTime(c.started), Shown(CommandSummaryText(c, true)))
                                   : tw::PdfText::tr("%1, started %2, ended %3: %4")
                                         .arg(Shown(c.name), ShownTime(c.started), ShownTime(c.ended),
                                              Shown(CommandSummaryText(c, true))));
            record.ForEachItem(i, [&](const ItemResult& item) {
                const QString result = item.destroyed ? tw::PdfText::tr("destroyed")
                                     : item.removed ? tw::PdfText::tr("removed")
                                                    : LeftText(item.cause);
                // A left file has the size it has; only an item with no
                // size at all (a folder, a drive never begun) shows none.
                const QString size = item.size > 0 || item.destroyed || item.removed
                                         ? QString::fromStdString(FormatSize(item.size))
                                         : QString();
                const QString what = item.kind == ItemKind::Memory ? tw::PdfText::tr("memory held") : Shown(item.path);
                items.Item(result, size, what, Shown(item.message));
                if (step)
                    step();
            });
            if (c.counts.unlisted > 0)
                items.Note(tw::PdfText::tr("%n more items destroyed (%1) are not listed.", nullptr,
                                           PluralCount(c.counts.unlisted))
                               .arg(QString::fromStdString(FormatSize(c.counts.unlistedBytes))));
            if (!c.notRun)
                for (const std::string& note : c.notes)
                    items.Note(Shown(note));
            if (c.listed == 0 && c.counts.unlisted == 0)
                items.Note(tw::PdfText::tr("No items."));
        }
        if (!painter.end()) {
            *error = tw::PdfText::tr("The PDF could not be finished.");
            return {};
        }
    }
    return bytes;
}

bool WriteReportPdf(const CSessionRecord& record, const ReportHeading& heading, const QString& path, QString* error,
                    const ReportStep& step)
{
    const QByteArray pdf = ReportPdf(record, heading, error, step);
    if (pdf.isEmpty())
        return false;
    return WriteReportFile(path, pdf, error);
}

} // namespace tw
