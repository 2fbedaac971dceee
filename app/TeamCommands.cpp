// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include "BulkPublish.h"
#include "DatabaseAddress.h"
#include "ErrorLine.h"
#include "Evidence.h"
#include "EvidenceBelonging.h"
#include "FolderReading.h"
#include "Outbox.h"
#include "OutputFiles.h"
#include "SavedAssessment.h"
#include "TeamDatabase.h"
#include "TeamSender.h"
#include "TeamSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <condition_variable>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <mutex>
#include <numeric>
#include <unistd.h>

namespace {

// The address of the team database, or nothing after naming on `errors` why there is none.
std::optional<DatabaseAddress> addressOf(const QString& uri, QTextStream& errors)
{
    if (uri.isEmpty()) {
        errors << "talvo-rula: no team database: give --database URI, set TALVO_DATABASE, or choose one in the "
                  "program's Team Database setting\n";
        return std::nullopt;
    }
    QString why;
    std::optional<DatabaseAddress> address = DatabaseAddress::parse(uri, &why);
    if (!address)
        errorLine(errors, uri) << why << '\n';
    return address;
}

// One saved file of a folder as it is published: read once (its record, and the SHA-256 of the
// bytes the record was read from), completed from its evidence, the evidence itself. What is
// to be said of it goes to `skipped` (not a saved assessment), `differences` (scores that differ
// from its options) and `complaint` (an evidence file that cannot be used; the text file is
// published without it), each a line for the errors. Made on any thread.
struct MadePublication
{
    std::optional<Publication> publication;
    TeamDatabase::CopyRow row; // as the bulk copy sends it
    QString skipped;
    QString differences;
    QString complaint;
};

// Handed from the thread that made it to the one that publishes it, without a copy.
using MadeHandle = std::unique_ptr<MadePublication>;

// The files' publications, made on every core at most `ahead` files ahead of the one publishing
// takes next, and taken in the files' order: only so many are held at once, so the memory freed
// as a batch is sent is the memory the next are made in.
class ReadAhead
{
public:
    ReadAhead(std::size_t count, std::size_t ahead) : m_made(count), m_ahead(ahead) {}

    // On a reading core: waits until file `i` is within reach of publishing, then has it made.
    template <typename Make> void make(std::size_t i, const Make& make)
    {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (i >= m_taken + m_ahead) {
                ++m_readersWaiting;
                m_room.wait(lock, [&] { return i < m_taken + m_ahead; });
                --m_readersWaiting;
            }
        }
        MadeHandle made = make();
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_made[i] = std::move(made);
        if (m_waitingFor == i)
            m_ready.notify_one();
    }

    // On the publishing thread: waits for the next file's publication and takes it.
    MadeHandle takeNext()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const std::size_t i = m_taken;
        if (!m_made[i]) {
            m_waitingFor = i;
            m_ready.wait(lock, [&] { return m_made[i] != nullptr; });
            m_waitingFor = NoOne;
        }
        MadeHandle made = std::move(m_made[i]);
        ++m_taken;
        if (m_readersWaiting > 0)
            m_room.notify_all();
        return made;
    }

private:
    static constexpr std::size_t NoOne = std::size_t(-1);
    std::mutex m_mutex;
    std::condition_variable m_room;
    std::condition_variable m_ready;
    std::vector<MadeHandle> m_made;
    const std::size_t m_ahead;
    std::size_t m_taken = 0;
    std::size_t m_waitingFor = NoOne;
    int m_readersWaiting = 0;
};

// The folder of the file a reading core read last, kept open while that folder's files follow
// one another (they come folder by folder): each is opened by its name in it. Kept for one
// publishing only (`run`), and closed when its core ends.
class FolderAtHand
{
public:
    FolderAtHand() = default;
    ~FolderAtHand() { forget(); }
    FolderAtHand(const FolderAtHand&) = delete;
    FolderAtHand& operator=(const FolderAtHand&) = delete;

    // The descriptor of `file`'s folder, opened unless it is the one at hand, with what to open in
    // it in `name`; AT_FDCWD with `file` itself when the folder cannot be opened.
    int folderOf(const QString& file, quint64 run, QString* name)
    {
        const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
        if (slash < 0) {
            *name = file;
            return AT_FDCWD;
        }
        const QStringView folder = QStringView(file).first(slash == 0 ? 1 : slash);
        if (run != m_run || folder != m_path) {
            forget();
            m_run = run;
            m_path = folder.toString();
            m_fd = ::open(QFile::encodeName(m_path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        }
        *name = m_fd < 0 ? file : file.sliced(slash + 1);
        return m_fd < 0 ? AT_FDCWD : m_fd;
    }

private:
    void forget()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    quint64 m_run = 0;
    QString m_path;
    int m_fd = -1;
};

// `file` is opened as `name` in the open folder `folder` (FolderAtHand::folderOf()).
MadeHandle publicationOf(const QString& file, int folder, const QString& name, const QString& currentFolder,
                         bool evidenceBeside)
{
    auto handle = std::make_unique<MadePublication>();
    MadePublication& made = *handle;
    SavedFileRead read;
    // Read without the trace of its scores, which no column keeps.
    SavedAssessment saved = ReadSavedAssessmentFileAt(folder, name, &read, ScoreTracing::Untraced);
    if (!saved.ok) {
        QTextStream line(&made.skipped);
        errorLine(line, file) << "skipped, " << saved.error << '\n';
        return handle;
    }
    if (!saved.differences.isEmpty()) {
        QTextStream line(&made.differences);
        errorLine(line, file) << "the saved scores differ from its options ("
                              << saved.differences.join(QStringLiteral("; "))
                              << "); the scores its options give are used.\n";
    }
    // The current folder looked up once for all files, not once for each.
    const QString path = QDir::cleanPath(QDir::isAbsolutePath(file) ? file : currentFolder + QLatin1Char('/') + file);
    // Most saved files have no evidence beside them, as the folder's listing said.
    if (!evidenceBeside) {
        made.publication = Publication::of(path, read.bytes, std::move(saved.record), read.lastWrittenUtc);
        made.row = TeamDatabase::copyRowOf(*made.publication);
        return handle;
    }
    AssessmentRecord record = saved.record;
    // The publication carries everything of the evidence but the pictures' bytes.
    const EvidenceOfFile evidence = evidenceOfAssessment(path, saved.record.stored, PictureBytes::Left);
    if (evidence.present && !evidence.ok) {
        QTextStream line(&made.complaint);
        errorLine(line, evidence.path) << evidence.error << '\n';
    }
    if (evidence.ok)
        completeRecord(record, evidence.evidence);
    made.publication =
        Publication::of(path, read.bytes, record, read.lastWrittenUtc, evidence.ok ? &evidence.evidence : nullptr);
    made.row = TeamDatabase::copyRowOf(*made.publication);
    return handle;
}

// Publications sent to the database together: the server starts on the first thousand while the
// rest are read, and each batch asks after only a thousand keys.
constexpr std::size_t PublishedAtOnce = 1000;
// Files made ahead of the one published next: the next batch is made while one is sent.
constexpr std::size_t ReadAheadOf = 2 * PublishedAtOnce;

QString plural(int count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : many);
}

} // namespace

int RunPublishCommand(const CommandLine& command, QTextStream& errors)
{
    const std::optional<DatabaseAddress> address =
        addressOf(TeamSettings::configuredDatabase(command.database), errors);
    if (!address)
        return 1;
    const QString folder = command.inputs.value(0);
    if (!QFileInfo(folder).isDir()) {
        errorLine(errors, folder) << "not a folder\n";
        return 1;
    }
    // Thousands of records are made and dropped a batch at a time on every core: memory handed
    // back between batches would only be asked for again, and the heap of each core, unpadded,
    // would grow a page and a system call at a time.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_TOP_PAD, 8 << 20);

    // What waits from earlier saves goes first.
    const SendSummary waiting = sendOutbox(*address, Outbox(Outbox::defaultFolder()));
    if (!waiting.error.isEmpty()) {
        errorLine(errors, address->uri) << waiting.error << '\n';
        return 1;
    }

    // The folder is walked, its interrupted saves repaired and its files read, hashed and
    // completed from their evidence on the other cores while the connection is made; they are
    // published a batch at a time in the files' order while the next are read. What is said of
    // them is named in the files' order, what their texts say first, then what their evidence
    // files do. Each is made into its own place, and taken from there, its memory freed, once
    // published: what the cores read ahead of the publishing is all that is held at once.
    static std::atomic<quint64> publishings{0};
    const quint64 run = ++publishings;
    SavedFileTree tree;
    std::unique_ptr<ReadAhead> ahead;
    std::vector<int> order;
    QFuture<void> made;
    QFuture<void> reading = QtConcurrent::run([&]() {
        tree = WalkSavedFiles(folder);
        PrepareTree(tree, errors);
        ahead = std::make_unique<ReadAhead>(std::size_t(tree.files.size()), ReadAheadOf);
        order.resize(std::size_t(tree.files.size()));
        std::iota(order.begin(), order.end(), 0);
        made = QtConcurrent::map(order, [currentFolder = QDir::currentPath(), &tree, &ahead, run](int i) {
            ahead->make(std::size_t(i), [&] {
                thread_local FolderAtHand folderAtHand;
                const QString& file = tree.files[i];
                QString name;
                const int opened = folderAtHand.folderOf(file, run, &name);
                return publicationOf(file, opened, name, currentFolder, tree.withEvidence.contains(file));
            });
        });
    });
    BulkPublisher publisher(*address);
    publisher.publish({});
    reading.waitForFinished();
    const bool showProgress = isatty(STDERR_FILENO) && tree.files.size() > 200;
    QString textsSaid;
    QString evidenceSaid;
    int skipped = 0;
    int published = 0;
    std::vector<Publication> batch;
    std::vector<TeamDatabase::CopyRow> rows;
    for (qsizetype i = 0; i < tree.files.size(); ++i) {
        const MadeHandle one = ahead->takeNext();
        textsSaid += one->skipped + one->differences;
        evidenceSaid += one->complaint;
        if (one->publication) {
            batch.push_back(std::move(*one->publication));
            rows.push_back(std::move(one->row));
        } else {
            ++skipped;
        }
        if (batch.size() == PublishedAtOnce || (i + 1 == tree.files.size() && !batch.empty())) {
            publisher.publish(batch, nullptr, {}, &rows);
            published += int(batch.size());
            batch.clear();
            rows.clear();
            if (showProgress)
                errors << "\rtalvo-rula: published " << published << " of " << tree.files.size() - skipped << Qt::flush;
        }
    }
    made.waitForFinished();
    if (showProgress)
        errors << '\n';
    errors << textsSaid << evidenceSaid;
    const SendSummary& summary = publisher.summary();
    const int unreadable = int(tree.links.size());
    for (const QString& refusal : summary.refusals)
        errors << "talvo-rula: " << refusal << '\n';
    errors << "talvo-rula: " << plural(published, "assessment", "assessments") << " read under "
           << QDir::toNativeSeparators(folder) << ": " << summary.added << " new, " << summary.alreadyThere
           << " already there, " << summary.refused << " refused";
    if (skipped + unreadable > 0)
        errors << "; " << plural(skipped + unreadable, "file", "files") << " skipped";
    if (waiting.added > 0)
        errors << "; " << plural(waiting.added, "waiting publication", "waiting publications") << " sent";
    errors << '\n';
    if (!summary.error.isEmpty()) {
        errorLine(errors, address->uri) << summary.error << "; " << summary.waiting << " not published\n";
        return 1;
    }
    return summary.refused > 0 ? 1 : 0;
}

int RunTeamRegisterCommand(const CommandLine& command, QTextStream& errors)
{
    const std::optional<DatabaseAddress> address = addressOf(command.inputs.value(0), errors);
    if (!address)
        return 1;
    const QString output = command.output.isEmpty() ? QStringLiteral("register.csv") : command.output;
    const QString refused = OutputFiles::refusal(output, {}, !command.output.isEmpty());
    if (!refused.isEmpty()) {
        errorLine(errors, output) << refused << '\n';
        return 1;
    }
    TeamDatabase database(*address);
    int rows = 0;
    const QByteArray csv = database.open() ? database.registerCsv(command.allRevisions, &rows) : QByteArray();
    if (csv.isEmpty()) {
        errorLine(errors, address->uri) << database.error() << '\n';
        return 1;
    }
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit()) {
        errorLine(errors, output) << "cannot be written: " << file.errorString() << '\n';
        return 1;
    }
    errors << "talvo-rula: " << plural(rows, "assessment", "assessments") << " in the team register; written to "
           << QDir::toNativeSeparators(output) << '\n';
    return 0;
}
