// The program's command line, run as a user would: --help and --version print
// and end without a window (there is no display here at all), and an unknown
// option prints the usage and ends with status 2.

#include "shell/program_run.h"
#include "version.h"

#include <gtest/gtest.h>

namespace {

ProgramRun runNorvel(const QStringList &args)
{
    return runProgram(QStringLiteral(NORVEL_BINARY_DIR "/bin/norvel"), args);
}

struct Case {
    const char *name;
    QStringList args;
    int status;
    const char *out; // contained in standard output
    const char *err; // contained in standard error
};

TEST(CommandLine, HelpAndVersionPrintAndEndAndAnythingElseIsAUsageError)
{
    const Case cases[] = {
        {"--help", {QStringLiteral("--help")}, 0, "usage: norvel", ""},
        {"-h", {QStringLiteral("-h")}, 0, "--export REPORT", ""},
        {"--version", {QStringLiteral("--version")}, 0, "norvel " NORVEL_VERSION, ""},
        {"unknown option", {QStringLiteral("--frobnicate")}, 2, "", "unknown option \"--frobnicate\""},
        {"a file name", {QStringLiteral("bill.dat")}, 2, "", "usage: norvel"},
        {"--help with more", {QStringLiteral("--help"), QStringLiteral("x")}, 2, "", "usage: norvel"},
        {"an export still checks its own options", {QStringLiteral("--export"), QStringLiteral("nonsense")}, 2, "",
         "norvel: "},
        {"a search still checks its own options", {QStringLiteral("--find")}, 2, "", "--find の値がありません"},
        {"--help names the search", {QStringLiteral("--help")}, 0, "--find TEXT", ""},
        {"--backup needs its folder", {QStringLiteral("--backup")}, 2, "", "usage: norvel --backup DIR"},
        {"--verify-backup of no folder", {QStringLiteral("--verify-backup"), QStringLiteral("/nonexistent/norvel")}, 1,
         "", "is no folder"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun r = runNorvel(c.args);
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.out))) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
        if (c.status != 0) {
            EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        }
    }
}

} // namespace
