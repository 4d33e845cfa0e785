// The program's include graph keeps its layers: every include points down
// (logic, printing, the window support, the windows, the main window on top)
// and no two sources depend on each other, so that a change to a window or
// to the main window recompiles only what sits above it.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Bottom to top. A logic folder's windows (files named *_form.*) sit in the
// window layer, above the printing library and the controls they use.
const char *const kLevels[] = {
    "storage", "billing", "reservations", "settings", "reports", "register", "search", // logic
    "printing",                                                  // page models, renderer, print dialogs
    "shell",    // the front desk, the message box, placements, document output
    "controls", // input controls (they show messages)
    // The register's windows stand on their own: the bill window and the
    // reservation list open them.
    "register windows",
    "billing windows", "reservations windows", "settings windows", "reports windows", "search windows",
    "app", // the main window and main()
};

const QString kSrc = QDir::cleanPath(QStringLiteral(NORVEL_TEST_DATA "/../../../src"));

// A source by its path under src/ without the extension: a header and its
// source are one unit.
QString unitOf(const QString &relativePath)
{
    const QFileInfo fi(relativePath);
    const QString dir = fi.path() == QLatin1String(".") ? QString() : fi.path() + QLatin1Char('/');
    return dir + fi.completeBaseName();
}

int levelOf(const QString &unit)
{
    const QString folder = unit.section(QLatin1Char('/'), 0, 0);
    const bool window = unit.section(QLatin1Char('/'), -1).contains(QLatin1String("_form"));
    const bool logicFolder = QStringList{QStringLiteral("billing"), QStringLiteral("reservations"),
                                         QStringLiteral("settings"), QStringLiteral("reports"), QStringLiteral("search"),
                                         QStringLiteral("register")}
                                 .contains(folder);
    const QString name = logicFolder && window ? folder + QLatin1String(" windows") : folder;
    for (int i = 0; i < int(std::size(kLevels)); ++i)
        if (name == QLatin1String(kLevels[i]))
            return i;
    return -1;
}

struct Include {
    QString from; // path under src/
    QString to;   // path under src/
};

// Every quoted include of a file under src/ that names another file under
// src/ (generated headers and library headers are left out).
std::vector<Include> sourceIncludes(QStringList *files)
{
    std::vector<Include> includes;
    const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s*\"([^\"]+)\""),
                                     QRegularExpression::MultilineOption);
    QDirIterator it(kSrc, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    const QDir src(kSrc);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString from = src.relativeFilePath(path);
        files->append(from);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << from.toStdString() << " cannot be read";
            continue;
        }
        const QString text = QString::fromUtf8(f.readAll());
        for (auto m = include.globalMatch(text); m.hasNext();) {
            const QString name = m.next().captured(1);
            // As the compiler looks: beside the file first, then from src/.
            const QString beside = QDir::cleanPath(QFileInfo(from).path() + QLatin1Char('/') + name);
            if (QFileInfo::exists(src.filePath(beside)))
                includes.push_back({from, beside});
            else if (QFileInfo::exists(src.filePath(name)))
                includes.push_back({from, QDir::cleanPath(name)});
        }
    }
    return includes;
}

TEST(Layers, EveryIncludePointsDown)
{
    QStringList files;
    const std::vector<Include> includes = sourceIncludes(&files);
    ASSERT_GT(files.size(), 50) << kSrc.toStdString();
    for (const QString &file : files) {
        if (file.contains(QLatin1Char('/'))) {
            EXPECT_GE(levelOf(unitOf(file)), 0) << file.toStdString() << " is in no layer";
        }
    }
    for (const Include &inc : includes) {
        const int from = levelOf(unitOf(inc.from)), to = levelOf(unitOf(inc.to));
        if (from < 0 || to < 0)
            continue;
        EXPECT_LE(to, from) << inc.from.toStdString() << " (" << kLevels[from] << ") includes "
                            << inc.to.toStdString() << " (" << kLevels[to] << "), which sits above it";
    }
}

TEST(Layers, NoSourcesDependOnEachOther)
{
    QStringList files;
    const std::vector<Include> includes = sourceIncludes(&files);
    std::map<QString, std::set<QString>> uses;
    for (const Include &inc : includes) {
        const QString from = unitOf(inc.from), to = unitOf(inc.to);
        if (from != to)
            uses[from].insert(to);
    }
    // Depth-first search; a unit met again while still on the path closes a circle.
    std::map<QString, int> state; // 1 on the path, 2 done
    std::vector<QString> path;
    std::set<std::string> circles;
    std::function<void(const QString &)> visit = [&](const QString &unit) {
        state[unit] = 1;
        path.push_back(unit);
        for (const QString &next : uses[unit]) {
            if (state[next] == 1) {
                std::string circle;
                for (auto p = std::find(path.begin(), path.end(), next); p != path.end(); ++p)
                    circle += p->toStdString() + " -> ";
                circles.insert(circle + next.toStdString());
            } else if (state[next] == 0) {
                visit(next);
            }
        }
        path.pop_back();
        state[unit] = 2;
    };
    for (const auto &[unit, _] : std::map<QString, std::set<QString>>(uses))
        if (state[unit] == 0)
            visit(unit);
    for (const std::string &circle : circles)
        ADD_FAILURE() << "include circle: " << circle;
}

} // namespace
