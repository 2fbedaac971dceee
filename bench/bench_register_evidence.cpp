// SPDX-License-Identifier: GPL-3.0-or-later
// The register, the report and the reopening of an assessment that keeps large pictures in its
// evidence, each timed and weighed as a whole process, beside the same without the evidence
// file (the plain run: the text file alone) measured in the same run.
//
//   bench_register_evidence [megabytes] [runs]   two pictures of `megabytes` MB each (default
//                                                200) in the evidence of one saved assessment;
//                                                `runs` runs of each (default 3); prints the
//                                                median time and the largest peak resident
//                                                memory (VmHWM) of each, and their ratios.
//
// The register is `talvo-rula --register FOLDER`, the report `talvo-rula --report FILE -o PDF`,
// the reopening a child of this bench that reopens the file into the program's windows as
// main() does with a file argument (offscreen unless QT_QPA_PLATFORM says otherwise). The
// pictures' bytes are no picture format: every path copies them out of the evidence and checks
// their hashes, none spends time decoding them.

#include "BenchSupport.h"
#include "Commands.h"
#include "Evidence.h"
#include "OutputFiles.h"
#include "ProgramState.h"
#include "Resources.h"
#include "SavedFiles.h"
#include "WindowSet.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Measure
{
    double ms = 0;
    long peakKb = 0;
};

// Runs `program` with `arguments` as a child of its own, so that its peak memory is its own.
bool measure(const QString& program, const QStringList& arguments, Measure* measured)
{
    std::vector<QByteArray> storage{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        storage.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    timeval start;
    gettimeofday(&start, nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    timeval end;
    gettimeofday(&end, nullptr);
    measured->ms = double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_usec - start.tv_usec) / 1e3;
    measured->peakKb = usage.ru_maxrss;
    return true;
}

EvidencePicture largePicture(const QString& role, const QString& name, int megabytes, char seed)
{
    EvidencePicture picture;
    picture.role = role;
    picture.fileName = name;
    picture.bytes = QByteArray(qsizetype(megabytes) * 1024 * 1024, seed);
    for (qsizetype i = 0; i < picture.bytes.size(); i += 4096)
        picture.bytes[i] = char(i / 4096);
    picture.sha256 = sha256Hex(picture.bytes);
    picture.pixelSize = QSize(4000, 3000);
    return picture;
}

// Writes the saved file and its evidence into `folder`.
int writeAssessment(const QString& folder, int megabytes)
{
    const QString text = folder + QStringLiteral("/Lee RULA Analysis.txt");
    const QByteArray textBytes =
        savedTextFile(variedAssessment(3), {QStringLiteral("Lee"), QStringLiteral("7"), QStringLiteral("Bay 7")});
    if (!writeWholeFile(text, textBytes)) {
        std::fprintf(stderr, "cannot write the saved file\n");
        return 1;
    }
    const QString evidencePath = OutputFiles::evidencePath(text);
    {
        Evidence evidence;
        evidence.assessmentId = QStringLiteral("bench");
        evidence.revision = 1;
        evidence.textSha256 = sha256Hex(textBytes);
        evidence.typed = {QStringLiteral("Lee"), QStringLiteral("7"), QStringLiteral("Bay 7")};
        evidence.details.phase = QStringLiteral("Baseline");
        evidence.history.push_back({1, QDateTime::currentDateTimeUtc(), QStringLiteral("K"), "2.0", "First save."});
        evidence.pictures.push_back(largePicture(QStringLiteral("workplace"), QStringLiteral("a.png"), megabytes, 'a'));
        evidence.pictures.push_back(largePicture(QStringLiteral("extra"), QStringLiteral("b.png"), megabytes, 'b'));
        if (const QString error = writeEvidence(evidencePath, evidence); !error.isEmpty()) {
            std::fprintf(stderr, "cannot write the evidence: %s\n", qPrintable(error));
            return 1;
        }
    }
    return 0;
}

// Reopens the saved file `path` into the program's windows; 3 when the evidence was expected
// (`evidence` "1") and not used, or used when not expected.
int reopenChild(int argc, char* argv[], const char* path, bool evidence)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initTalvoResources();
    printMessageBoxes();
    ProgramState state;
    WindowSet windows(state);
    ReopenAssessment(QString::fromLocal8Bit(path), windows);
    const bool used = state.reopenedEvidence.assessmentId == QLatin1String("bench");
    return used == evidence ? 0 : 3;
}

struct Comparison
{
    std::vector<double> with;
    std::vector<double> without;
    long withKb = 0;
    long withoutKb = 0;
};

double medianOf(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void printComparison(const char* what, int megabytes, const Comparison& c)
{
    const double withMs = medianOf(c.with);
    const double withoutMs = medianOf(c.without);
    std::printf("%-8s evidence with two %d MB pictures: median %7.0f ms, peak %7ld kB\n", what, megabytes, withMs,
                c.withKb);
    std::printf("%-8s the text file alone (plain):     median %7.0f ms, peak %7ld kB\n", what, withoutMs, c.withoutKb);
    std::printf("%-8s ratio: time %.2f, peak memory %.2f (%zu runs each)\n", what, withMs / withoutMs,
                double(c.withKb) / double(c.withoutKb), c.with.size());
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--reopen-child") == 0)
        return reopenChild(argc, argv, argv[2], qstrcmp(argv[3], "1") == 0);
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--write") == 0)
        return writeAssessment(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/talvo-rula");
    QTemporaryDir work;
    const QString folder = work.filePath(QStringLiteral("assessments"));
    // Written by a child, so that this process stays small: a spawned program starts as a copy of it.
    if (!runChild({QStringLiteral("--write"), folder, QString::number(megabytes)}))
        return 1;
    const QString evidencePath = OutputFiles::evidencePath(folder + QStringLiteral("/Lee RULA Analysis.txt"));
    const QString kept = work.filePath(QStringLiteral("kept.sqlite"));
    const QStringList arguments{QStringLiteral("--register"), folder, QStringLiteral("-o"),
                                work.filePath(QStringLiteral("register.csv"))};
    const QString text = folder + QStringLiteral("/Lee RULA Analysis.txt");
    const QString pdf = work.filePath(QStringLiteral("report.pdf"));
    const QStringList reportArguments{QStringLiteral("--report"), text, QStringLiteral("-o"), pdf};
    const QString self = QCoreApplication::applicationFilePath();

    // One run of `command` with the evidence file in place or set aside, added to `c`.
    const auto run = [&](const QString& command, const QStringList& args, bool evidence, Comparison& c) {
        if (evidence ? !QFile::rename(kept, evidencePath) : !QFile::rename(evidencePath, kept))
            return false;
        QFile::remove(pdf);
        Measure measured;
        if (!measure(command, args, &measured))
            return false;
        (evidence ? c.with : c.without).push_back(measured.ms);
        long& peak = evidence ? c.withKb : c.withoutKb;
        peak = std::max(peak, measured.peakKb);
        return true;
    };
    if (!QFile::rename(evidencePath, kept))
        return 1;
    Comparison registering;
    Comparison reporting;
    Comparison reopening;
    for (int round = 0; round < runs; ++round) {
        if (!run(program, arguments, true, registering)) {
            std::fprintf(stderr, "the register with the evidence failed\n");
            return 1;
        }
        QFile csv(work.filePath(QStringLiteral("register.csv")));
        if (!csv.open(QIODevice::ReadOnly) || !csv.readAll().contains(",Baseline,bench,1,")) {
            std::fprintf(stderr, "the register did not use the evidence\n");
            return 1;
        }
        if (!run(program, arguments, false, registering)) {
            std::fprintf(stderr, "the register without the evidence failed\n");
            return 1;
        }
        if (!run(program, reportArguments, true, reporting) || !run(program, reportArguments, false, reporting)) {
            std::fprintf(stderr, "the report failed\n");
            return 1;
        }
        if (!run(self, {QStringLiteral("--reopen-child"), text, QStringLiteral("1")}, true, reopening) ||
            !run(self, {QStringLiteral("--reopen-child"), text, QStringLiteral("0")}, false, reopening)) {
            std::fprintf(stderr, "the reopening failed, or did not use the evidence\n");
            return 1;
        }
    }
    printComparison("register", megabytes, registering);
    printComparison("report", megabytes, reporting);
    printComparison("reopen", megabytes, reopening);
    return 0;
}
