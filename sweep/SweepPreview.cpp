// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep/SweepPreview.h"

#include "core/CommandIds.h"
#include "prefs/Settings.h"
#include "sweep/DirectorySweep.h"
#include "sweep/LocationSweeps.h"

#include <QCoreApplication>

namespace tw {

// The counting pass asks nothing: it opens no file. What a sweep would say
// instead of sweeping ("... Not Accessible") becomes a note of the preview.
class CSweepPreview::Host : public IOperationHost {
public:
    PreviewResult* current = nullptr;

    int Confirm(const std::string&) override { return IDCANCEL; }
    int FileError(const std::string&, const std::string&) override { return IDC_CANCEL_OPERATION; }
    int DiskError(const std::string&) override { return IDC_CANCEL_OPERATION; }
    void Message(const std::string& text) override { Note(text); }
    void Warning(const std::string& text) override { Note(text); }
    std::unique_ptr<IProgress> CreateProgress() override { return nullptr; }
    std::unique_ptr<IScopedWindow> ShowWorking() override { return nullptr; }

private:
    void Note(const std::string& text)
    {
        if (current)
            current->notes.push_back(text);
    }
};

void PreviewResult::Add(const std::string& path, uint64_t size, size_t listLimit)
{
    const size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : (slash == 0 ? std::string("/") : path.substr(0, slash));
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    auto [it, added] = m_index.try_emplace(directory, directories.size());
    if (added)
        directories.push_back({directory, 0, 0, {}});
    Directory& d = directories[it->second];
    ++d.files;
    d.bytes += size;
    ++files;
    bytes += size;
    if (files > listLimit) {
        ++unlisted;
        unlistedBytes += size;
        return;
    }
    d.listed.push_back({name, size});
}

namespace {

// Why the sweep by preferences would sweep nothing at all, or null.
const char* NothingChosen()
{
    if (CSettings::ReadBool(Setting::All))
        return CSettings::DecodeList(CSettings::Read(Setting::Drives)).empty()
                   ? QT_TRANSLATE_NOOP("tw::SweepPreview", "No drive is marked in the preferences")
                   : nullptr;
    for (Setting path : {Setting::InternetCachePath, Setting::TemporaryPath, Setting::OtherPath})
        if (!CSettings::Read(path).empty())
            return nullptr;
    return QT_TRANSLATE_NOOP("tw::SweepPreview", "No location is set in the preferences");
}

} // namespace

CSweepPreview::CSweepPreview(IDriveTable& drives, size_t listLimit)
    : m_host(std::make_unique<Host>()), m_op(m_buffer, *m_host, drives), m_nListLimit(listLimit)
{
    FillWipeBuffer(m_buffer);
}

CSweepPreview::~CSweepPreview() = default;

void CSweepPreview::Stop() { m_op.m_bContinue = 0; }

void CSweepPreview::Run(IPreviewObserver& observer)
{
    struct Location {
        PreviewTarget target;
        Setting path;
        const char* notEntered;
        int (*sweep)(Operation&, int, IProgress*);
    };
    static const Location kCommands[] = {
        // The location commands' own messages, as they would say them.
        {PreviewTarget::Cache, Setting::InternetCachePath,
         QT_TRANSLATE_NOOP("tw::LocationSweeps", "Internet Cache Path Not Entered"), SweepCache},
        {PreviewTarget::Temp, Setting::TemporaryPath,
         QT_TRANSLATE_NOOP("tw::LocationSweeps", "Temporary Path Not Entered"), SweepTemp},
        {PreviewTarget::Other, Setting::OtherPath,
         QT_TRANSLATE_NOOP("tw::LocationSweeps", "Other Path Not Entered"), SweepOther},
        {PreviewTarget::Preferences, Setting::InternetCachePath, nullptr, SweepByPreferences},
    };

    uint64_t files = 0, bytes = 0;
    for (const Location& command : kCommands) {
        if (!m_op.m_bContinue)
            break;
        auto result = std::make_unique<PreviewResult>();
        result->target = command.target;
        m_host->current = result.get();
        m_op.onMatch = [&](const std::string& path, uint64_t size) {
            result->Add(path, size, m_nListLimit);
            observer.Found(++files, bytes += size);
        };
        // A location command with no path only says so; the sweep by
        // preferences passes unset locations by.
        if (command.notEntered && CSettings::Read(command.path).empty())
            result->notes.push_back(QCoreApplication::translate("tw::LocationSweeps", command.notEntered).toStdString());
        else if (const char* nothing = command.notEntered ? nullptr : NothingChosen())
            result->notes.push_back(QCoreApplication::translate("tw::SweepPreview", nothing).toStdString());
        else
            command.sweep(m_op, kSweepCounting, nullptr);
        m_op.onMatch = nullptr;
        m_host->current = nullptr;
        result->complete = m_op.m_bContinue != 0;
        observer.Finished(std::move(result));
    }
}

} // namespace tw
