// SPDX-License-Identifier: GPL-3.0-or-later
// Files dropped on the main window, sent the way Qt delivers a drag from
// another program: enter, move and drop at the view, which passes them on
// to the window. The drop asks about each file in order and destroys only
// what is answered Yes; folders, remote URLs and drops during a command
// destroy nothing; the status bar says what a drop will do.
#include "app/CGuiHost.h"
#include "app/CMainFrame.h"
#include "core/CommandIds.h"
#include "app/ModalSeam.h"
#include "tests/MainFrameSupport.h"
#include "tests/TestSupport.h"
#include "wipe/CConfirm.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <future>

using namespace tw;

using test::MakeFrame;

namespace {

// "file://" and the path with every byte that is not plain ASCII escaped,
// as file managers write a uri-list.
QByteArray FileUri(const std::string& path)
{
    QByteArray uri = "file://";
    for (unsigned char c : path) {
        if (c == '/' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_')
            uri += char(c);
        else
            uri += '%' + QByteArray::number(c, 16).rightJustified(2, '0').toUpper();
    }
    return uri;
}

std::unique_ptr<QMimeData> UriList(const std::vector<QByteArray>& uris)
{
    QByteArray list;
    for (const QByteArray& uri : uris)
        list += uri + "\r\n";
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("text/uri-list"), list);
    return data;
}

struct DragResult {
    bool entered = false;
    Qt::DropAction action = Qt::IgnoreAction;
    QString hint;       // the status bar while the files are over the window
    bool dropped = false;
    QString after;      // the status bar after the drop
};

DragResult DragAndDrop(CMainFrame& frame, const QMimeData& data,
                       Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction)
{
    QWidget* view = frame.centralWidget();
    const QPoint at = view->rect().center();
    DragResult result;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &enter);
    result.entered = enter.isAccepted();
    result.action = enter.dropAction();
    QDragMoveEvent move(at + QPoint(3, 2), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    result.hint = frame.StatusBar()->currentMessage();
    QDropEvent drop(QPointF(at + QPoint(3, 2)), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &drop);
    result.dropped = drop.isAccepted();
    result.after = frame.StatusBar()->currentMessage();
    return result;
}

// Answers the dialogs of the walk: confirmations from `answers`, and
// records every message box.
struct Script {
    std::deque<int> answers;
    std::vector<QString> asked;
    std::vector<QString> messages;
    Script()
    {
        SetModalHook([this](QDialog& d) -> int {
            if (auto* box = qobject_cast<QMessageBox*>(&d)) {
                messages.push_back(box->text());
                return int(QMessageBox::Ok);
            }
            auto* confirm = qobject_cast<CConfirm*>(&d);
            EXPECT_NE(confirm, nullptr) << d.windowTitle().toStdString();
            if (!confirm || answers.empty())
                return IDCANCEL;
            asked.push_back(confirm->m_strFile);
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    ~Script() { SetModalHook({}); }
};

bool WalkEnded(CMainFrame& frame)
{
    return QTest::qWaitFor([&] { return !frame.HasGivenFiles() && !frame.Runner().IsBusy(); }, 30000);
}

TEST(DropTest, SeveralFilesAreAskedAboutInOrderAndOnlyYesIsDestroyed)
{
    auto frame = MakeFrame();
    test::TempDir dir;
    const std::vector<std::string> files = {dir / "one.txt", dir / "two words.txt", dir / "caf\xe9.txt"};
    for (const std::string& f : files)
        test::WriteFile(f, "secret");
    const auto data = UriList({FileUri(files[0]), FileUri(files[1]), FileUri(files[2])});

    Script script;
    script.answers = {IDC_YES, IDC_NO, IDC_YES};
    const DragResult drag = DragAndDrop(*frame, *data);
    EXPECT_TRUE(drag.entered);
    EXPECT_EQ(drag.action, Qt::CopyAction) << "never a move: the source would remove the files unwiped";
    EXPECT_EQ(drag.hint, QStringLiteral("Drop to securely delete 3 items (each asked first)"));
    EXPECT_TRUE(drag.dropped);
    EXPECT_EQ(drag.after, QStringLiteral("Ready"));
    EXPECT_TRUE(script.asked.empty()) << "the questions come after the drop has ended";

    ASSERT_TRUE(WalkEnded(*frame));
    ASSERT_EQ(script.asked.size(), 3u);
    EXPECT_EQ(script.asked[0], QString::fromStdString(files[0]));
    EXPECT_EQ(script.asked[1], QString::fromStdString(files[1]));
    EXPECT_EQ(script.asked[2], ShowText(files[2]));
    EXPECT_FALSE(test::Exists(files[0]));
    EXPECT_EQ(test::ReadFile(files[1]), "secret");
    EXPECT_FALSE(test::Exists(files[2])) << "the name that is not UTF-8 reached the wiper intact";
    EXPECT_TRUE(script.messages.empty());
}

TEST(DropTest, AFolderAndARemoteUrlAreReportedOnceAndNothingIsTouched)
{
    auto frame = MakeFrame();
    test::TempDir dir;
    test::WriteFile(dir / "inside.txt", "kept");

    Script script;
    const auto data = UriList({FileUri(dir.Path()), "smb://nas/share/report.txt"});
    const DragResult drag = DragAndDrop(*frame, *data);
    EXPECT_TRUE(drag.dropped);
    EXPECT_EQ(drag.hint, QStringLiteral("Drop to securely delete 1 item (asked first); 1 remote left alone"));
    ASSERT_TRUE(WalkEnded(*frame));
    EXPECT_TRUE(script.asked.empty()) << "no file, so no question";
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[0], QStringLiteral("This is not a file on this computer. Nothing was touched:\n"
                                                 "smb://nas/share/report.txt"));
    EXPECT_EQ(script.messages[1], QStringLiteral("This is a folder, not a file. Nothing in it was touched:\n%1")
                                      .arg(QString::fromStdString(dir.Path())));
    EXPECT_EQ(test::ReadFile(dir / "inside.txt"), "kept");

    // Only remote URLs: the drag is refused outright and says why.
    const auto remote = UriList({"https://example.org/a.txt"});
    const DragResult refused = DragAndDrop(*frame, *remote);
    EXPECT_FALSE(refused.entered);
    EXPECT_FALSE(refused.dropped);
    EXPECT_EQ(refused.hint, QStringLiteral("Only files on this computer can be destroyed"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame->HasGivenFiles());
    EXPECT_EQ(script.messages.size(), 2u);
}

TEST(DropTest, DropsAreRefusedWhileACommandRunsAndWhenTheyCouldOnlyMove)
{
    auto frame = MakeFrame();
    test::TempDir dir;
    test::WriteFile(dir / "a.txt", "kept");
    const auto data = UriList({FileUri(dir / "a.txt")});
    Script script;

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    DragResult during;
    // Runs inside the command, while its operation waits on the worker.
    QTimer::singleShot(0, frame.get(), [&] {
        during = DragAndDrop(*frame, *data);
        release.set_value();
    });
    frame->RunOperation([released](Operation&) { released.wait(); });
    EXPECT_FALSE(during.entered);
    EXPECT_FALSE(during.dropped);
    EXPECT_EQ(during.hint, QStringLiteral("A command is running: nothing can be dropped until it ends"));

    const DragResult moveOnly = DragAndDrop(*frame, *data, Qt::MoveAction);
    EXPECT_FALSE(moveOnly.entered);
    EXPECT_FALSE(moveOnly.dropped);
    EXPECT_EQ(moveOnly.hint, QStringLiteral("This drag only offers to move the files: drop them without Shift"));

    QCoreApplication::processEvents();
    EXPECT_FALSE(frame->HasGivenFiles());
    EXPECT_TRUE(script.asked.empty());
    EXPECT_EQ(test::ReadFile(dir / "a.txt"), "kept");

    // A plain text drag is no file at all.
    QMimeData text;
    text.setText(QStringLiteral("/etc/passwd"));
    EXPECT_EQ(DragAndDrop(*frame, text).hint, QStringLiteral("Only files can be dropped here"));
}

// A local address that is broken is called malformed, not remote: an
// escaped "/" or NUL, a relative address; another host's file is remote.
TEST(DropTest, MalformedLocalAddressesAreCalledWhatTheyAre)
{
    auto frame = MakeFrame();
    test::TempDir dir;
    test::WriteFile(dir / "a.txt", "kept");
    Script script;
    struct Case {
        std::vector<QByteArray> uris;
        const char* hint;
    };
    const Case refused[] = {
        {{"file:///tmp/a%2Fb.txt"}, "This file address is malformed: it names no file, so nothing can be dropped"},
        {{"file:///tmp/a%00b.txt", "relative/name.txt"},
         "These file addresses are malformed: they name no file, so nothing can be dropped"},
        {{"file://elsewhere.example/tmp/a.txt"}, "Only files on this computer can be destroyed"},
    };
    for (const Case& c : refused) {
        const auto data = UriList(c.uris);
        const DragResult drag = DragAndDrop(*frame, *data);
        EXPECT_FALSE(drag.dropped) << c.uris.front().toStdString();
        EXPECT_EQ(drag.hint, QString::fromUtf8(c.hint)) << c.uris.front().toStdString();
    }
    // Mixed with a local file, each kind is counted under its own name.
    script.answers = {IDC_NO};
    const auto mixed = UriList({FileUri(dir / "a.txt"), "file:///tmp/%2F", "smb://nas/x", "mailto:a@b"});
    const DragResult drag = DragAndDrop(*frame, *mixed);
    EXPECT_EQ(drag.hint, QStringLiteral("Drop to securely delete 1 item (asked first); 1 remote left alone; "
                                        "1 malformed file address left alone; 1 not a file left alone"));
    ASSERT_TRUE(WalkEnded(*frame));
    EXPECT_EQ(test::ReadFile(dir / "a.txt"), "kept");
}

} // namespace
