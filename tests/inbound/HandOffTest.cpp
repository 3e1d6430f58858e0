// SPDX-License-Identifier: GPL-3.0-or-later
// `tarnowick --delete` and the instance already running for the same user:
// the real program hands the names over byte for byte and ends; without an
// instance it becomes one and asks itself; the socket lives only where no
// other user can take it over, and a message that is no hand-off is refused.
#include "app/CGuiHost.h"
#include "inbound/CInstanceServer.h"
#include "app/CMainFrame.h"
#include "app/CTarnowickApp.h"
#include "core/CommandIds.h"
#include "inbound/HandOffMessage.h"
#include "app/ModalSeam.h"
#include "inbound/HandOff.h"
#include "tests/TestSupport.h"
#include "wipe/CConfirm.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <future>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tw;

namespace {

CTarnowickApp* g_app = nullptr;

// Starts the real program with arguments as raw bytes (QProcess would pass
// them through QString), in `cwd`, with stderr to `errFile`.
pid_t Spawn(const std::vector<std::string>& args, const std::string& cwd, const std::string& errFile,
            const std::vector<std::pair<std::string, std::string>>& env = {})
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0)
            _exit(126);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (err >= 0)
            dup2(err, 2);
        for (const auto& [name, value] : env)
            setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(TARNOWICK_BINARY)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(TARNOWICK_BINARY, argv.data());
        _exit(127);
    }
    return pid;
}

// Waits for the child while this program's window keeps answering.
std::optional<int> WaitForExit(pid_t pid, int ms = 60000)
{
    int status = 0;
    const bool ended = QTest::qWaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, ms);
    if (!ended)
        return std::nullopt;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Answers every confirmation from `answers` and records what it showed.
struct ConfirmScript {
    std::deque<int> answers;
    std::vector<QString> asked;
    ConfirmScript()
    {
        SetModalHook([this](QDialog& d) -> int {
            auto* confirm = qobject_cast<CConfirm*>(&d);
            EXPECT_NE(confirm, nullptr) << "only confirmations expected";
            if (!confirm || answers.empty())
                return IDCANCEL;
            asked.push_back(confirm->m_strFile);
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    ~ConfirmScript() { SetModalHook({}); }
};

TEST(HandOffTest, ARunningInstanceAsksAboutTheNamesOfALaterDelete)
{
    ASSERT_EQ(g_app->InitInstance({}), 0);
    ASSERT_TRUE(g_app->InstanceServer() && g_app->InstanceServer()->IsListening());

    test::TempDir dir;
    const std::string latin1 = "caf\xe9 \"draft\".txt";  // not UTF-8
    test::WriteFile(dir / "first.txt", "one");
    test::WriteFile(dir / latin1, "two");
    test::WriteFile(dir / "third.txt", "three");

    ConfirmScript script;
    script.answers = {IDC_YES, IDC_NO, IDC_YES};
    const std::string err = dir / "stderr";
    // Relative names are made absolute by the caller: the running instance
    // was started somewhere else.
    const pid_t pid = Spawn({"--delete", "first.txt", dir / "third.txt", latin1}, dir.Path(), err);
    // The caller ends as soon as the window has the names, long before the
    // questions are answered.
    EXPECT_EQ(WaitForExit(pid), 0);
    EXPECT_EQ(test::ReadFile(err), "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return script.asked.size() == 3 && !g_app->MainFrame()->Runner().IsBusy(); }, 30000));

    ASSERT_EQ(script.asked.size(), 3u);
    EXPECT_EQ(script.asked[0], QString::fromStdString(dir / "first.txt"));
    EXPECT_EQ(script.asked[1], QString::fromStdString(dir / "third.txt"));
    EXPECT_EQ(script.asked[2], ShowText(dir / latin1));
    EXPECT_FALSE(test::Exists(dir / "first.txt"));
    EXPECT_EQ(test::ReadFile(dir / "third.txt"), "three");
    EXPECT_FALSE(test::Exists(dir / latin1)) << "the name that is not UTF-8 reached the wiper intact";
}

// The window answers the caller at once even while a command runs, and
// asks about the names when the command has ended.
TEST(HandOffTest, NamesThatArriveDuringACommandAreAskedAboutWhenItEnds)
{
    ASSERT_EQ(g_app->InitInstance({}), 0);
    CMainFrame* frame = g_app->MainFrame();
    const std::string path = g_app->InstanceServer()->Path();
    test::TempDir dir;
    test::WriteFile(dir / "late.txt", "x");
    ConfirmScript script;
    script.answers = {IDC_YES};

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::future<HandOffResult> reply;
    std::string why;
    bool askedDuringCommand = true;
    QTimer::singleShot(0, frame, [&] {
        reply = std::async(std::launch::async, [&] { return SendHandOff(path, EncodeHandOff({dir / "late.txt"}), 10000, &why); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 30000));
        askedDuringCommand = !script.asked.empty();
        release.set_value();
    });
    frame->RunOperation([released](Operation&) { released.wait(); });
    EXPECT_FALSE(askedDuringCommand);
    EXPECT_EQ(reply.get(), HandOffResult::Delivered) << why;
    EXPECT_TRUE(QTest::qWaitFor([&] { return script.asked.size() == 1 && !frame->Runner().IsBusy(); }, 30000));
    EXPECT_FALSE(test::Exists(dir / "late.txt"));
}

TEST(HandOffTest, WithoutARunningInstanceTheProgramBecomesOneAndDestroysNothingUnasked)
{
    test::TempDir runtime;
    test::TempDir dir;
    test::WriteFile(dir / "a.txt", "stays");
    const std::string socket = runtime / "tarnowick.socket";
    const pid_t pid = Spawn({"--delete", dir / "a.txt"}, dir.Path(), dir / "stderr",
                            {{"XDG_RUNTIME_DIR", runtime.Path()}, {"QT_QPA_PLATFORM", "offscreen"}});
    ASSERT_GT(pid, 0);

    // It opens its own window (which now asks about a.txt) and takes later
    // hand-offs itself.
    std::string why;
    HandOffResult result = HandOffResult::NoInstance;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        result = SendHandOff(socket, EncodeHandOff({dir / "b.txt"}), 5000, &why);
        return result != HandOffResult::NoInstance || waitpid(pid, nullptr, WNOHANG) == pid;
    }, 60000));
    EXPECT_EQ(result, HandOffResult::Delivered) << why;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(test::ReadFile(dir / "a.txt"), "stays") << "nothing is destroyed without a Yes";

    // The killed program left its socket behind: nobody answers there, and
    // the next instance replaces it.
    ASSERT_TRUE(test::Exists(socket));
    EXPECT_EQ(SendHandOff(socket, EncodeHandOff({dir / "c.txt"}), 5000, &why), HandOffResult::NoInstance);
    CInstanceServer server;
    EXPECT_TRUE(server.Listen(socket, &why)) << why;
    CInstanceServer second;
    EXPECT_FALSE(second.Listen(socket, &why)) << "one server per user";
}

TEST(HandOffTest, TheSocketLivesOnlyWhereNoOtherUserCanTakeItOver)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedRuntime = saved ? saved : "";
    test::TempDir runtime;
    test::TempDir base;
    std::string why;

    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    EXPECT_EQ(HandOffSocketPath(&why, base.Path()), runtime / "tarnowick.socket");

    // A runtime directory others may enter is not used; the fallback is a
    // directory of our own, made private.
    chmod(runtime.Path().c_str(), 0755);
    const std::string own = base / ("tarnowick-" + std::to_string(geteuid()));
    EXPECT_EQ(HandOffSocketPath(&why, base.Path()), own + "/tarnowick.socket");
    struct stat st {};
    ASSERT_EQ(lstat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Made first by another user, it is never used: that user could read
    // the names or feed names to the window.
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        ASSERT_EQ(chown(own.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        why.clear();
        EXPECT_EQ(HandOffSocketPath(&why, base.Path()), "");
        EXPECT_NE(why.find("belongs to another user"), std::string::npos) << why;
    }
    // A link there is not followed either.
    test::RemoveTree(own);
    ASSERT_EQ(symlink(runtime.Path().c_str(), own.c_str()), 0);
    EXPECT_EQ(HandOffSocketPath(&why, base.Path()), "");
    setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
}

TEST(HandOffTest, AMessageThatIsNoHandOffIsRefusedAndAsksNothing)
{
    ASSERT_EQ(g_app->InitInstance({}), 0);
    const std::string path = g_app->InstanceServer()->Path();
    ConfirmScript script;
    for (const std::string& message : {std::string("GET / HTTP/1.0\r\n\r\n"), EncodeHandOff({"relative/name"})}) {
        std::string why;
        auto reply = std::async(std::launch::async, [&] { return SendHandOff(path, message, 10000, &why); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 30000));
        EXPECT_EQ(reply.get(), HandOffResult::Failed);
        EXPECT_NE(why.find("refused"), std::string::npos) << why;
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(script.asked.empty());
    EXPECT_FALSE(g_app->MainFrame()->HasGivenFiles());
}

} // namespace

int main(int argc, char** argv)
{
    test::TempDir config;
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    test::TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    CTarnowickApp app(argc, argv);
    g_app = &app;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
