// SPDX-License-Identifier: GPL-3.0-or-later
// What an install of tarnowick-cli puts in place, used as a user would: the
// program, which needs no display libraries; its manual pages, read with
// man; the systemd user units, which systemd-analyze accepts and whose
// command really sweeps; and the Ansible example, played against this
// machine.
#include "tests/cli/CliFixture.h"

#include <fstream>
#include <regex>
#include <sstream>

using namespace tw;
using namespace tw::test;

namespace {

bool HaveTool(const std::string& tool) { return RunCommand("command -v " + tool + " >/dev/null 2>&1") == 0; }

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// Runs a shell command, returning its exit status and what it wrote.
struct Shell {
    int status;
    std::string out;
    std::string err;
};
Shell RunShell(const std::string& command, const TempDir& scratch)
{
    const std::string out = scratch / "shell.out", err = scratch / "shell.err";
    Shell result;
    result.status = RunCommand("(" + command + ") >" + Quoted(out) + " 2>" + Quoted(err));
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
}

// One install for the whole program: every test reads it.
class CliInstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_prefix = new TempDir;
        const std::string command = std::string(Quoted(TARNOWICK_CMAKE)) + " --install " + Quoted(TARNOWICK_BINARY_DIR) +
                                    " --prefix " + Quoted(s_prefix->Path()) + " >/dev/null";
        s_installed = RunCommand(command) == 0;
    }
    static void TearDownTestSuite()
    {
        delete s_prefix;
        s_prefix = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_installed) << "cmake --install failed";
        ClearSettings();
    }
    static std::string Prefix(const std::string& rest) { return *s_prefix / rest; }

    static TempDir* s_prefix;
    static bool s_installed;
    TempDir scratch;
};
TempDir* CliInstallTest::s_prefix = nullptr;
bool CliInstallTest::s_installed = false;

const char* const kUnits[] = {"tarnowick-sweep@.service", "tarnowick-sweep@.timer"};
const char* const kSweeps[] = {"cache", "temp", "other", "preferences"};

TEST_F(CliInstallTest, TheProgramIsInstalledAndNeedsNoDisplayLibraries)
{
    const std::string program = Prefix("bin/tarnowick-cli");
    ASSERT_TRUE(Exists(program));
    const Shell needed = RunShell("readelf -d " + Quoted(program), scratch);
    ASSERT_EQ(needed.status, 0) << needed.err;
    EXPECT_NE(needed.out.find("libQt6Core"), std::string::npos) << needed.out;
    EXPECT_EQ(needed.out.find("libQt6Gui"), std::string::npos) << needed.out;
    EXPECT_EQ(needed.out.find("libQt6Widgets"), std::string::npos) << needed.out;
    // No display of any kind.
    const Shell version = RunShell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + Quoted(program) + " --version", scratch);
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(version.out, "tarnowick-cli 1.0\n");
}

TEST_F(CliInstallTest, TheInstalledProgramFindsItsTranslationBesideItself)
{
    ASSERT_TRUE(Exists(Prefix("share/tarnowick/translations/tarnowick_de.qm")));
    const std::string program = Quoted(Prefix("bin/tarnowick-cli"));
    const Shell german =
        RunShell("env -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8 LANGUAGE=de:en " + program + " --help", scratch);
    EXPECT_EQ(german.status, 0) << german.err;
    EXPECT_EQ(german.out.rfind("Aufruf: tarnowick-cli", 0), 0u) << german.out;
    // English before German in the list: English.
    const Shell english =
        RunShell("env -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8 LANGUAGE=en:de " + program + " --help", scratch);
    EXPECT_EQ(english.out.rfind("Usage: tarnowick-cli", 0), 0u) << english.out;
}

TEST_F(CliInstallTest, BothManualPagesAreInstalledAndReadableWithMan)
{
    if (!HaveTool("man"))
        GTEST_SKIP() << "man is missing (Debian package man-db)";
    const std::pair<const char*, const char*> pages[] = {
        {"tarnowick", "tarnowick - destroy files and free disk space by overwriting them"},
        {"tarnowick-cli", "tarnowick-cli - destroy files, sweep locations and overwrite free space"},
    };
    for (const auto& [page, name] : pages) {
        const std::string file = Prefix(std::string("share/man/man1/") + page + ".1.gz");
        ASSERT_TRUE(Exists(file)) << file;
        const Shell read = RunShell("MANWIDTH=200 man --warnings -l " + Quoted(file), scratch);
        EXPECT_EQ(read.status, 0) << page;
        EXPECT_EQ(read.err, "") << page << ": the page has roff warnings";
        EXPECT_NE(read.out.find(name), std::string::npos) << read.out;
        for (const char* section : {"SYNOPSIS", "DESCRIPTION", "FILES", "SEE ALSO"})
            EXPECT_NE(read.out.find(section), std::string::npos) << page << " lacks " << section;
        // Found by name once its directory is on the manual path.
        const Shell found = RunShell("MANPATH=" + Quoted(Prefix("share/man")) + " man -w " + page, scratch);
        EXPECT_EQ(found.out, file + "\n");
    }
    // The page of the command line documents every option and status.
    const Shell cli = RunShell("MANWIDTH=200 man -l " + Quoted(Prefix("share/man/man1/tarnowick-cli.1.gz")), scratch);
    for (const char* option : {"--yes", "--dry-run", "--on-error=", "--json", "--quiet", "--help", "--version",
                               "EXIT STATUS", "systemctl --user enable --now tarnowick-sweep@temp.timer"})
        EXPECT_NE(cli.out.find(option), std::string::npos) << option;
}

TEST_F(CliInstallTest, TheUserUnitsPassSystemdAnalyzeVerifyForEverySweep)
{
    if (!HaveTool("systemd-analyze"))
        GTEST_SKIP() << "systemd-analyze is missing (Debian package systemd)";
    TempDir runtime;
    chmod(runtime.Path().c_str(), 0700);
    std::string units;
    for (const char* sweep : kSweeps)
        for (const char* kind : {".service", ".timer"})
            units += " " + Quoted(Prefix(std::string("lib/systemd/user/tarnowick-sweep@") + sweep + kind));
    // The manual path lets verify find the page that Documentation= names.
    const Shell verify = RunShell("XDG_RUNTIME_DIR=" + Quoted(runtime.Path()) + " MANPATH=" + Quoted(Prefix("share/man")) +
                                      " systemd-analyze verify --user" + units, scratch);
    EXPECT_EQ(verify.status, 0) << verify.out << verify.err;
    EXPECT_EQ(verify.out + verify.err, "");
}

TEST_F(CliInstallTest, TheTimerIsDailyPersistentAndNotEnabled)
{
    const std::string timer = ReadFile(Prefix("lib/systemd/user/tarnowick-sweep@.timer"));
    EXPECT_NE(timer.find("\nOnCalendar=daily\n"), std::string::npos) << timer;
    EXPECT_NE(timer.find("\nPersistent=true\n"), std::string::npos) << timer;
    EXPECT_NE(timer.find("\nWantedBy=timers.target\n"), std::string::npos) << timer;
    // Enabling is the user's choice: nothing links the units anywhere.
    const Shell links = RunShell("find " + Quoted(*s_prefix / "") + " -name '*.wants' -o -type l -name 'tarnowick*'", scratch);
    EXPECT_EQ(links.out, "");
}

// The service's own command line, with the instance put in, sweeps what
// the settings say: the unit runs the program it was installed with.
TEST_F(CliInstallTest, TheServicesCommandRunsTheInstalledProgramsSweep)
{
    const std::string service = ReadFile(Prefix("lib/systemd/user/tarnowick-sweep@.service"));
    std::smatch match;
    ASSERT_TRUE(std::regex_search(service, match, std::regex("\nExecStart=([^\n]*)\n"))) << service;
    std::string command = match[1];
    EXPECT_EQ(command.rfind(Prefix("bin/tarnowick-cli") + " ", 0), 0u) << command;
    command = std::regex_replace(command, std::regex("%i"), "temp");

    TempDir trash;
    WriteFile(trash / "old.tmp", "old");
    WriteFile(trash / "keep.txt", "keep");
    CSettings::Write(Setting::TemporaryPath, trash.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    const Shell run = RunShell(command + " </dev/null", scratch);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(Exists(trash / "old.tmp"));
    EXPECT_TRUE(Exists(trash / "keep.txt"));
    // What reaches the journal: the summary, never a destroyed file's name.
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Destroyed 1 file (3 bytes).\n");
}

// The Debian package carries the command line with everything that goes
// with it, and its service names the program where the package puts it.
TEST_F(CliInstallTest, TheDebianPackageCarriesTheCommandLineAndItsCompanions)
{
    if (!HaveTool("dpkg-deb") || !HaveTool("dpkg-shlibdeps"))
        GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps is missing (Debian package dpkg-dev)";
    TempDir packages;
    const Shell built = RunShell("cd " + Quoted(TARNOWICK_BINARY_DIR) + " && " + Quoted(TARNOWICK_CPACK) +
                                     " -G DEB -B " + Quoted(packages.Path()), scratch);
    ASSERT_EQ(built.status, 0) << built.out << built.err;
    const std::string deb = packages / "tarnowick_1.0_amd64.deb";
    const Shell contents = RunShell("dpkg-deb -c " + Quoted(deb), scratch);
    ASSERT_EQ(contents.status, 0) << contents.err;
    for (const char* file : {"./usr/bin/tarnowick-cli", "./usr/share/man/man1/tarnowick.1.gz",
                             "./usr/share/man/man1/tarnowick-cli.1.gz", "./usr/lib/systemd/user/tarnowick-sweep@.service",
                             "./usr/lib/systemd/user/tarnowick-sweep@.timer", "./usr/share/doc/tarnowick/ansible/sweep.yml",
                             "./usr/share/doc/tarnowick/ansible/templates/Tarnowick.conf.j2"})
        EXPECT_NE(contents.out.find(std::string(file) + "\n"), std::string::npos) << file << " is not in the package";
    const Shell unpacked = RunShell("dpkg-deb -x " + Quoted(deb) + " " + Quoted(packages / "root"), scratch);
    ASSERT_EQ(unpacked.status, 0) << unpacked.err;
    const std::string service = ReadFile(packages / "root/usr/lib/systemd/user/tarnowick-sweep@.service");
    EXPECT_NE(service.find("\nExecStart=/usr/bin/tarnowick-cli "), std::string::npos) << service;
}

// The example playbook, as installed, against this machine: it deploys the
// settings, sweeps with them and brings the summary back; no file name
// reaches the summary or Ansible's output.
TEST_F(CliInstallTest, TheAnsibleExampleDeploysSettingsSweepsAndCollectsTheSummary)
{
    if (!HaveTool("ansible-playbook"))
        GTEST_SKIP() << "ansible-playbook is missing (Debian package ansible-core)";
    const std::string playbook = Prefix("share/doc/tarnowick/ansible/sweep.yml");
    ASSERT_TRUE(Exists(playbook));
    TempDir work;
    for (const char* dir : {"home", "config", "trash", "trash/deeper"})
        ASSERT_EQ(mkdir((work / dir).c_str(), 0755), 0);
    WriteFile(work / "trash/secret-one.tmp", "one");
    WriteFile(work / "trash/deeper/secret-two.tmp", "two two");
    WriteFile(work / "trash/keep.txt", "keep");

    const std::string vars = work / "vars.json";
    WriteFile(vars, "{\"tarnowick_cli\": \"" + Prefix("bin/tarnowick-cli") + "\", \"tarnowick_sweep\": \"temp\","
                    " \"tarnowick_config_home\": \"" + work / "config" + "\", \"tarnowick_summaries\": \"" + work / "summaries" + "\","
                    " \"tarnowick_settings\": {\"temporary_path\": \"" + work / "trash" + "\", \"file_types\": [\"*.tmp\"],"
                    " \"subdirectories\": true}}");
    const std::string env = "HOME=" + Quoted(work / "home") + " ANSIBLE_LOCAL_TEMP=" + Quoted(work / "home/.ansible/tmp") +
                            " ANSIBLE_REMOTE_TEMP=" + Quoted(work / "home/.ansible/remote") +
                            " ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_PYTHON_INTERPRETER=auto_silent";
    const Shell play = RunShell(env + " ansible-playbook -c local -i localhost, " + Quoted(playbook) + " -e @" + Quoted(vars), scratch);
    ASSERT_EQ(play.status, 0) << play.out << play.err;

    EXPECT_FALSE(Exists(work / "trash/secret-one.tmp"));
    EXPECT_FALSE(Exists(work / "trash/deeper/secret-two.tmp"));
    EXPECT_TRUE(Exists(work / "trash/keep.txt"));
    const std::string settings = ReadFile(work / "config/Halmere/Tarnowick.conf");
    EXPECT_NE(settings.find("Temporary%20Path=" + work / "trash" + "\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("File%20Types=*.tmp!\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("Subdirectories=TRUE\n"), std::string::npos) << settings;

    const std::string collected = ReadFile(work / "summaries/localhost.json");
    const QJsonObject summary = QJsonDocument::fromJson(QByteArray::fromStdString(collected)).object();
    EXPECT_EQ(Str(summary, "kind"), "summary") << collected;
    EXPECT_EQ(Num(summary, "destroyed"), 2);
    EXPECT_EQ(Num(summary, "bytes"), 10);
    EXPECT_EQ(Num(summary, "status"), 0);
    for (const std::string& text : {collected, play.out, play.err})
        EXPECT_EQ(text.find("secret-"), std::string::npos) << "a destroyed file's name left the host:\n" << text;
}

} // namespace
