// Measures the check of an 8 MB account file, the largest part of finding who is signed in to a
// folder, against parsing the same file in full with QJsonDocument. The file is read the way
// discovery reads it; it is checked a second time from bytes with no room to spare after them.
// The figures are the processor time of this thread, page faults included, so that other work
// on a busy machine changes them little.

#include "accounts/AccountFile.h"
#include "accounts/FileSystem.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <time.h>

namespace {

constexpr qsizetype accountFileBytes = 8 * 1024 * 1024;
constexpr int timedRuns = 15;

// An account file as Claude Code's grow: the signed-in account among settings, and a long
// history per project with escaped quotes and line breaks, text beyond ASCII, numbers and
// nested objects.
QByteArray accountFile() {
    QByteArray file = R"({"numStartups":412,"theme":"dark","tipsHistory":{"new-user-warmup":1},)"
                      R"("oauthAccount":{"emailAddress":"bench@example.com",)"
                      R"("organizationName":"Bench Größe","organizationRole":"admin"},)"
                      R"("projects":{)";
    const QByteArray entry =
        R"({"display":"fix the \"parser\" so that\nit handles é, 😀 and \\ paths )"
        R"(in src/main.cpp line 1204","pastedContents":{"1":{"id":1,"type":"text",)"
        R"("content":"warning: unused variable ‘x’ [-Wunused-variable]\n  12 |   int x = 0;"}}})";
    for (int project = 0; file.size() < accountFileBytes; ++project) {
        file += (project ? "," : "") + QByteArray(R"("/home/bench/project)") +
                QByteArray::number(project) + R"(":{"allowedTools":["Bash","Edit"],"history":[)";
        for (int item = 0; item < 20; ++item)
            file += (item ? "," : "") + entry;
        file += R"(],"lastCost":0.2531,"lastDuration":183042,"hasTrustDialogAccepted":true,)"
                R"("mcpServers":{},"lastSessionId":null})";
    }
    return file + "}}";
}

double threadMilliseconds() {
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return double(time.tv_sec) * 1e3 + double(time.tv_nsec) / 1e6;
}

double medianMilliseconds(const std::function<void()>& work) {
    QList<double> times;
    for (int run = 0; run < timedRuns; ++run) {
        const double start = threadMilliseconds();
        work();
        times.append(threadMilliseconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral(".claude.json"));
    QFile written(path);
    if (!written.open(QIODevice::WriteOnly) || written.write(accountFile()) < accountFileBytes ||
        !written.flush()) {
        std::fprintf(stderr, "bench-accountfile: cannot write %s\n", qPrintable(path));
        return 1;
    }
    const std::optional<QByteArray> read = FileSystem::local().contents(path);
    if (!read || !AccountFile::signedInAccount(*read)) {
        std::fprintf(stderr, "bench-accountfile: the account file was not accepted\n");
        return 1;
    }
    const QByteArray contents = *read;
    const QByteArray tight(contents.constData(), contents.size());

    const double check = medianMilliseconds([&] { AccountFile::signedInAccount(contents); });
    const double checkTight = medianMilliseconds([&] { AccountFile::signedInAccount(tight); });
    const double fullParse = medianMilliseconds([&] { QJsonDocument::fromJson(contents); });
    std::printf("account file: %.1f MB\n", double(contents.size()) / (1024 * 1024));
    std::printf("check_ms=%.2f\ncheck_tight_ms=%.2f\nqt_parse_ms=%.2f\ncheck_ratio=%.3f\n", check,
                checkTight, fullParse, check / fullParse);
    return 0;
}
