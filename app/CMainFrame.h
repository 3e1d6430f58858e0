// SPDX-License-Identifier: GPL-3.0-or-later
// The program's one window: menu, toolbar, status bar around the empty view,
// and the handler of every command but About.
#pragma once

#include "app/CCommandRunner.h"
#include "app/CGuiHost.h"
#include "core/Operation.h"
#include "record/SessionRecord.h"

#include <QMainWindow>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QStatusBar;
class QTimer;
class QToolBar;

namespace tw {

class CRecordModel;
class CTarnowickView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `drives` may be given by tests; by default the mounted volumes.
    explicit CMainFrame(std::unique_ptr<IDriveTable> drives = nullptr, QWidget* parent = nullptr);
    ~CMainFrame() override;

    QAction* Action(int id) const;
    QToolBar* ToolBar() const { return m_wndToolBar; }
    QStatusBar* StatusBar() const { return m_wndStatusBar; }
    const WipeBuffer& Buffer() const { return m_wipeBuffer; }
    IDriveTable& Drives() { return *m_drives; }
    CCommandRunner& Runner() { return m_runner; }
    IOperationHost& Host() { return m_host; }

    // Routes a command identifier to its handler, as the menu, the toolbar
    // and the accelerators do. Ignored while another command runs.
    void OnCommand(int id);

    // Runs an operation on the worker thread; returns when it has ended.
    void RunOperation(const std::function<void(Operation&)>& body);

    // Command handlers.
    void OnSecureDeleteFile();
    void OnSecureDeleteCache();
    void OnSecureDeleteTemp();
    void OnSecureDeleteOther();
    void OnSecureDeleteByPreferences();
    void OnOvercommitSwapfile();
    void OnSecureEmptySpace();
    void OnPreferences();
    void OnShowProgressBar();
    void OnHelpFinder();
    void OnContextHelp();
    void OnHelp();
    // The record of this session, the report and the preview
    // (MainFrameRecord.cpp, sweep/MainFramePreview.cpp).
    void OnSaveReport();
    void OnPreviewSweeps();
    const CSessionRecord& SessionRecord() const { return *m_pRecord; }
    CRecordModel* RecordModel() const { return m_pRecordModel; }

    // Files named from outside the file dialog (dropped on the window, or
    // given to `tarnowick --delete`): walked like Secure Delete File, with
    // a confirmation for each, as soon as no command runs and no dialog is
    // open. `notLocal` are dropped URIs that name no local file.
    void DeleteGivenFiles(std::vector<std::string> names, std::vector<std::string> notLocal = {});
    // True while given files wait for their walk.
    bool HasGivenFiles() const { return !m_givenFiles.empty(); }

signals:
    void aboutRequested();

protected:
    QMenu* createPopupMenu() override;          // a right click opens no menu
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnCreate();
    void InstallHelp();  // What's This texts of the commands, F1
    void InstallDropTarget();  // files dropped on the window (MainFrameDrop.cpp)
    void RunGivenFiles();
    QAction* MakeAction(int id);
    void InstallRecord();
    // A destroying command's group in the record: opened before its
    // operation runs, closed with a summary in the status bar after.
    bool BeginRecord();
    // `endedBeforeStart`: the command ended at its first message.
    void EndRecord(bool endedBeforeStart);

    QStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    WipeBuffer m_wipeBuffer{};
    std::unique_ptr<IDriveTable> m_drives;
    CTarnowickView* m_pView = nullptr;
    std::map<int, QAction*> m_actions;
    CGuiHost m_host;
    CCommandRunner m_runner;
    // Shared with the model: the window's children, the model among them,
    // are destroyed after the frame's own members.
    std::shared_ptr<CSessionRecord> m_pRecord;
    CRecordModel* m_pRecordModel = nullptr;
    int m_nCommand = 0;  // the command being handled, 0 between commands
    struct GivenFiles {
        std::vector<std::string> names;
        std::vector<std::string> notLocal;
    };
    std::deque<GivenFiles> m_givenFiles;
    QTimer* m_pGivenRetry = nullptr;
};

} // namespace tw
