// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CTerminalHost.h"

#include "core/CommandIds.h"
#include "record/ItemReport.h"
#include "core/Translations.h"
#include "cli/TextFormat.h"
#include "platform/StopSignal.h"
#include "platform/Terminal.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cctype>
#include <csignal>

namespace tw::cli {

namespace {

// The front end's own words, in the user's language.
struct HostWords {
    Q_DECLARE_TR_FUNCTIONS(tw::cli::CTerminalHost)
};

// Text for the terminal, line by line: the line ends of a message stay,
// every other control character is shown escaped.
std::string TerminalLines(const std::string& text)
{
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        out += TerminalText(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return out;
        out += '\n';
        start = end + 1;
    }
}

std::string JsonLine(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

// The stop's name: in the summary line, and as the JSON summary's "signal".
std::string SignalName(int signal, bool forPeople)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return forPeople ? tw::cli::HostWords::tr("a stop request").toStdString() : "a stop request";
    }
}

// A text of the window, as the window shows it in the user's language.
std::string Window(const char* context, const char* text)
{
    return QCoreApplication::translate(context, text).toStdString();
}

std::string CancelOperation()
{
    return Window("tw::ItemErrorButtons", QT_TRANSLATE_NOOP("tw::ItemErrorButtons", "Cancel Operation"));
}

std::string Lowered(std::string text)
{
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!text.empty() && blank(static_cast<unsigned char>(text.back())))
        text.pop_back();
    size_t first = 0;
    while (first < text.size() && blank(static_cast<unsigned char>(text[first])))
        ++first;
    text.erase(0, first);
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The sweep's progress box as a terminal line. Steps are not counted here:
// every file's record moves the line, left files included.
class TerminalProgress : public IProgress {
public:
    explicit TerminalProgress(CProgressLine& line) : m_line(line) {}
    ~TerminalProgress() override { m_line.Clear(); }
    void ShowScanning() override { m_line.SetPhase(ScanningPhase()); }
    void ShowDeleting() override { m_line.SetPhase(DeletingPhase()); }
    void SetRange(long long n) override { m_line.SetTotal(n); }
    void Step(int) override {}

private:
    CProgressLine& m_line;
};

// The Working window as a terminal line, with the free-space wipe's figures.
class TerminalWorking : public IScopedWindow {
public:
    explicit TerminalWorking(CProgressLine& line) : m_line(line) { m_line.Working(); }
    ~TerminalWorking() override { m_line.Clear(); }
    void Update(const FillStatus& status) override { m_line.Fill(status); }

private:
    CProgressLine& m_line;
};

} // namespace

CTerminalHost::CTerminalHost(const Config& config)
    : m_config(config), m_progress(config.progress && !config.quiet, config.errFd)
{
}

CTerminalHost::~CTerminalHost() { FlushOut(); }

int CTerminalHost::Ask(const std::string& question, const std::vector<std::vector<std::string>>& answers)
{
    FlushOut();
    m_progress.Clear();
    for (;;) {
        if (!WriteAll(m_config.errFd, question))
            return -1;
        const std::optional<std::string> line = ReadAnswerLine(m_config.inFd);
        if (!line || StopRequested()) {
            WriteAll(m_config.errFd, "\n");
            return -1;
        }
        const std::string answer = Lowered(*line);
        for (size_t i = 0; i < answers.size(); ++i)
            if (std::find(answers[i].begin(), answers[i].end(), answer) != answers[i].end())
                return int(i);
    }
}

int CTerminalHost::Confirm(const std::string& path)
{
    if (m_config.yes)
        return IDC_YES_TO_ALL;
    if (!m_config.interactive) {
        // Nobody to ask: the command line was refused before this point.
        m_bCancelled = true;
        return IDCANCEL;
    }
    // The confirm dialog's words; the keys are the same in every language.
    const std::string label = Window("tw::CConfirm", QT_TRANSLATE_NOOP("tw::CConfirm", "Secure Delete File:"));
    const std::string question = label + " " + TerminalText(path) + "\n"
                                 + tw::cli::HostWords::tr("Yes (y), Yes To All (a), No (n), Cancel (q)? ").toStdString();
    switch (Ask(question, {{"y", "yes"}, {"a", "all", "yes to all"}, {"n", "no"}, {"q", "quit", "c", "cancel"}})) {
    case 0: return IDC_YES;
    case 1: return IDC_YES_TO_ALL;
    case 2: return IDC_NO;
    default:
        m_bCancelled = true;
        return IDCANCEL;
    }
}

int CTerminalHost::ItemError(const std::string& report, const std::string& ignoreLabel)
{
    OnError policy = m_config.onError;
    if (policy == OnError::Ask && !m_config.interactive)
        policy = OnError::Skip;
    if (policy == OnError::Ask) {
        const std::string question =
            report + "\n" + FillText(tw::cli::HostWords::tr("%1 (i), %2 (c)? "), {ignoreLabel, CancelOperation()});
        if (Ask(question, {{"i", "ignore"}, {"c", "cancel", "q", "quit"}}) == 0)
            return IDC_IGNORE;
        m_bCancelled = true;
        return IDC_CANCEL_OPERATION;
    }
    const bool ignore = policy != OnError::Stop;
    Diagnostic(report + " (" + (ignore ? ignoreLabel : CancelOperation()) + ")");
    if (ignore)
        return IDC_IGNORE;
    m_bCancelled = true;
    return IDC_CANCEL_OPERATION;
}

int CTerminalHost::FileError(const std::string& file, const std::string& message)
{
    // The window's two fields: the file (empty when the message names it)
    // and the message.
    std::string report = Window("tw::CFileError", QT_TRANSLATE_NOOP("tw::CFileError", "Secure Delete Error")) + ": ";
    if (!file.empty())
        report += TerminalText(file) + ": ";
    report += TerminalText(message);
    return ItemError(report, Window("tw::CFileError", QT_TRANSLATE_NOOP("tw::CFileError", "Ignore File")));
}

int CTerminalHost::DiskError(const std::string& text)
{
    const std::string heading = Window("tw::CDiskError", QT_TRANSLATE_NOOP("tw::CDiskError", "Error During Secure Disk"));
    return ItemError(heading + ": " + TerminalText(text),
                     Window("tw::CDiskError", QT_TRANSLATE_NOOP("tw::CDiskError", "Ignore Disk")));
}

void CTerminalHost::Message(const std::string& text)
{
    m_messages.push_back(text);
    const std::string caption = Window("tw::ModalSeam", QT_TRANSLATE_NOOP("tw::ModalSeam", "Tarnowick Parameters"));
    Diagnostic(caption + ": " + TerminalLines(text));
}

void CTerminalHost::Warning(const std::string& text)
{
    m_warnings.push_back(text);
    Diagnostic("Tarnowick: " + TerminalLines(text));
}

std::unique_ptr<IProgress> CTerminalHost::CreateProgress() { return std::make_unique<TerminalProgress>(m_progress); }

std::unique_ptr<IScopedWindow> CTerminalHost::ShowWorking() { return std::make_unique<TerminalWorking>(m_progress); }

void CTerminalHost::Record(const ItemResult& item)
{
    // A folder a sweep could not list is left like a file it could not open.
    Tally& tally = item.kind == ItemKind::File || item.kind == ItemKind::Folder ? m_files
                   : item.kind == ItemKind::Drive                               ? m_drives
                                                                                : m_memory;
    if (item.destroyed) {
        ++tally.destroyed;
        tally.bytes += item.size;
    } else if (item.removed) {
        ++tally.removed;
        if (item.drive && m_strRemovedDrives.find(item.drive) == std::string::npos) {
            m_strRemovedDrives += item.drive;
            std::sort(m_strRemovedDrives.begin(), m_strRemovedDrives.end());
        }
    } else if (!item.kept) {
        // A file the user answered No for was not left by a failure: it
        // does not make the run's status "some items were left".
        ++tally.left;
    }
    if (item.kind == ItemKind::File)
        m_progress.ItemDone(item.destroyed || item.removed ? item.size : 0);
    if (m_config.json && !m_config.quiet)
        Out(JsonLine(ItemToJson(item)));
}

void CTerminalHost::Listed(const std::string& path, uint64_t size)
{
    ++m_nListed;
    m_nListedBytes += size;
    m_progress.ItemDone(size);
    if (m_config.quiet)
        return;
    if (m_config.json) {
        ItemResult item;
        item.path = path;
        item.size = size;
        QJsonObject object = ItemToJson(item);
        object.insert(QStringLiteral("result"), QStringLiteral("listed"));
        Out(JsonLine(object));
    } else {
        Out(TerminalText(path) + "\n");
    }
}

void CTerminalHost::ExpectItems(long long count)
{
    m_progress.SetPhase(DeletingPhase());
    m_progress.SetTotal(count);
}

void CTerminalHost::Fatal(const std::string& what)
{
    m_strFatal = what;
    Diagnostic("Tarnowick: " + TerminalLines(what));
}

void CTerminalHost::Diagnostic(const std::string& text)
{
    FlushOut();
    m_progress.Clear();
    WriteAll(m_config.errFd, text + "\n");
}

void CTerminalHost::Out(const std::string& line)
{
    // A write per line would cost a system call per file; a reader of the
    // JSON lines still sees them within a fraction of a second.
    constexpr size_t kBlock = 64 * 1024;
    constexpr auto kInterval = std::chrono::milliseconds(200);
    m_strOutBuffer += line;
    const auto now = CProgressLine::Clock::now();
    if (m_strOutBuffer.size() >= kBlock || now - m_lastFlush >= kInterval)
        FlushOut();
}

void CTerminalHost::FlushOut()
{
    m_lastFlush = CProgressLine::Clock::now();
    if (m_strOutBuffer.empty())
        return;
    // Standard output may be the same terminal as the progress line.
    m_progress.Clear();
    WriteAll(m_config.outFd, m_strOutBuffer);
    m_strOutBuffer.clear();
}

std::string CTerminalHost::SummaryText() const
{
    std::vector<std::string> parts;
    if (m_config.dryRun) {
        parts.push_back(FillText(m_nListed == 1 ? tw::cli::HostWords::tr("Would destroy 1 file (%1).")
                                                : tw::cli::HostWords::tr("Would destroy %n files (%1).", nullptr,
                                                                PluralCount(m_nListed)),
                                 {FormatBytes(m_nListedBytes)}));
    } else {
        const auto leftText = [](uint64_t left) {
            return left ? tw::cli::HostWords::tr(", left %1").arg(left).toStdString() : std::string();
        };
        const bool any = m_files.destroyed + m_files.removed + m_files.left + m_drives.destroyed + m_drives.left + m_memory.destroyed > 0;
        // A command that ended at a message before touching anything
        // has nothing to count.
        if (m_files.destroyed + m_files.left > 0 || (!any && m_messages.empty()))
            parts.push_back(FillText(m_files.destroyed == 1
                                         ? tw::cli::HostWords::tr("Destroyed 1 file (%1)%2.")
                                         : tw::cli::HostWords::tr("Destroyed %n files (%1)%2.", nullptr,
                                                         PluralCount(m_files.destroyed)),
                                     {FormatBytes(m_files.bytes), leftText(m_files.left)}));
        if (m_files.removed > 0) {
            // Gone from their folders, not from the device.
            std::string drives;
            for (const char letter : m_strRemovedDrives)
                drives += (drives.empty() ? "" : ", ") + std::string(1, letter) + ":";
            const uint64_t n = m_files.removed;
            if (drives.empty())
                parts.push_back((n == 1 ? tw::cli::HostWords::tr("Removed 1 file; its old copies remain.")
                                        : tw::cli::HostWords::tr("Removed %n files; old copies remain.", nullptr,
                                                                 PluralCount(n)))
                                    .toStdString());
            else
                parts.push_back(FillText(
                    n == 1 ? tw::cli::HostWords::tr("Removed 1 file; its old copies remain until the free space of %1 is wiped.")
                           : tw::cli::HostWords::tr("Removed %n files; old copies remain until the free space of %1 is wiped.",
                                                    nullptr, PluralCount(n)),
                    {drives}));
        }
        if (m_drives.destroyed + m_drives.left > 0)
            parts.push_back(FillText(m_drives.destroyed == 1
                                         ? tw::cli::HostWords::tr("Overwrote the free space of 1 drive (%1)%2.")
                                         : tw::cli::HostWords::tr("Overwrote the free space of %n drives (%1)%2.", nullptr,
                                                         PluralCount(m_drives.destroyed)),
                                     {FormatBytes(m_drives.bytes), leftText(m_drives.left)}));
        if (m_memory.destroyed > 0)
            parts.push_back(
                FillText(tw::cli::HostWords::tr("Held %1 of memory, then gave it back."), {FormatBytes(m_memory.bytes)}));
    }
    if (!m_strFatal.empty())
        parts.push_back(tw::cli::HostWords::tr("Stopped by an error.").toStdString());
    else if (StopRequested())
        parts.push_back(FillText(tw::cli::HostWords::tr("Stopped by %1."), {SignalName(StopSignalNumber(), true)}));
    else if (m_bCancelled)
        parts.push_back(tw::cli::HostWords::tr("Stopped: Cancel Operation.").toStdString());
    // As the record says it: what came after the stop was not reached.
    if (!m_strFatal.empty() || StopRequested() || m_bCancelled)
        parts.push_back(tw::cli::HostWords::tr("The rest was not reached.").toStdString());
    else if (NotRun())
        parts.push_back(tw::cli::HostWords::tr("Not run.").toStdString());
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : " ") + part;
    return text;
}

bool CTerminalHost::NotRun() const
{
    const uint64_t items = m_files.destroyed + m_files.left + m_drives.destroyed + m_drives.left + m_memory.destroyed;
    return m_bEndedBeforeStart && items == 0 && !m_config.dryRun;
}

int CTerminalHost::Finish()
{
    FlushOut();
    m_progress.Clear();
    const uint64_t left = m_files.left + m_drives.left + m_memory.left;
    // A removed file is not destroyed: its old copies remain, so the run
    // did not do everything it was given.
    const uint64_t notDestroyed = left + m_files.removed;
    const char* stopped = nullptr;
    if (!m_strFatal.empty())
        stopped = "error";
    else if (StopRequested())
        stopped = "signal";
    else if (m_bCancelled)
        stopped = "cancel";
    const int status = stopped ? kExitStopped : !m_messages.empty() ? kExitUsage : notDestroyed ? kExitLeft : kExitDestroyed;

    if (m_config.json) {
        QJsonObject summary;
        summary.insert(QStringLiteral("kind"), QStringLiteral("summary"));
        summary.insert(QStringLiteral("command"), QString::fromStdString(m_config.command));
        summary.insert(QStringLiteral("dry_run"), m_config.dryRun);
        summary.insert(QStringLiteral("destroyed"), qint64(m_files.destroyed + m_drives.destroyed + m_memory.destroyed));
        summary.insert(QStringLiteral("removed"), qint64(m_files.removed));
        summary.insert(QStringLiteral("left"), qint64(left));
        summary.insert(QStringLiteral("bytes"), qint64(m_files.bytes + m_drives.bytes + m_memory.bytes));
        summary.insert(QStringLiteral("listed"), qint64(m_nListed));
        summary.insert(QStringLiteral("listed_bytes"), qint64(m_nListedBytes));
        summary.insert(QStringLiteral("status"), status);
        summary.insert(QStringLiteral("stopped"), stopped ? QJsonValue(QString::fromLatin1(stopped)) : QJsonValue());
        // The command's result as the saved report gives it.
        summary.insert(QStringLiteral("result"), stopped ? QStringLiteral("stopped")
                                                 : NotRun() ? QStringLiteral("not run")
                                                            : QStringLiteral("completed"));
        if (stopped && std::string(stopped) == "signal")
            summary.insert(QStringLiteral("signal"), QString::fromStdString(SignalName(StopSignalNumber(), false)));
        if (!m_strFatal.empty())
            summary.insert(QStringLiteral("error"), EscapedText(m_strFatal));
        QJsonArray messages, warnings;
        for (const std::string& m : m_messages)
            messages.append(EscapedText(m));
        for (const std::string& w : m_warnings)
            warnings.append(EscapedText(w));
        summary.insert(QStringLiteral("messages"), messages);
        summary.insert(QStringLiteral("warnings"), warnings);
        Out(JsonLine(summary));
        FlushOut();
    } else if (!m_config.quiet) {
        if (const std::string text = SummaryText(); !text.empty())
            Diagnostic(text);
    }
    return status;
}

} // namespace tw::cli
