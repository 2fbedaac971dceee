// SPDX-License-Identifier: GPL-3.0-or-later
#include "TeamSender.h"

#include "TeamDatabase.h"

#include <QFile>

namespace {

constexpr std::size_t BatchSize = 500;

} // namespace

SendSummary sendPublications(const DatabaseAddress& address, const std::vector<Publication>& publications,
                             std::vector<SendState>* states, const SendProgress& progress, const SendStop& stop)
{
    SendSummary summary;
    states->assign(publications.size(), SendState::Waiting);
    const auto stopping = [&stop, &summary, &publications](std::size_t next) {
        if (!stop || !stop())
            return false;
        summary.error = QStringLiteral("the program ended before it was sent");
        summary.waiting = int(publications.size() - next);
        return true;
    };
    if (stopping(0))
        return summary;
    TeamDatabase database(address);
    if (!database.open()) {
        summary.error = database.error();
        summary.waiting = int(publications.size());
        return summary;
    }
    for (std::size_t first = 0; first < publications.size(); first += BatchSize) {
        const std::size_t end = std::min(publications.size(), first + BatchSize);
        SendSummary batch;
        bool oneRefused = false;
        // The usual case: the whole batch in one transaction.
        const bool committed = database.inTransaction([&] {
            for (std::size_t i = first; i < end; ++i) {
                if (stop && stop())
                    return false;
                switch (database.publish(publications[i])) {
                case TeamDatabase::Stored::New:
                    ++batch.added;
                    break;
                case TeamDatabase::Stored::AlreadyThere:
                    ++batch.alreadyThere;
                    break;
                case TeamDatabase::Stored::Refused:
                    oneRefused = true;
                    return false;
                case TeamDatabase::Stored::Failed:
                    return false;
                }
            }
            return true;
        });
        if (committed) {
            summary.added += batch.added;
            summary.alreadyThere += batch.alreadyThere;
            for (std::size_t i = first; i < end; ++i)
                (*states)[i] = SendState::Held;
        } else if (oneRefused) {
            // A refused row spoils its transaction: this batch again, one row at a time.
            for (std::size_t i = first; i < end; ++i) {
                if (stopping(i))
                    return summary;
                const TeamDatabase::Stored stored = database.publish(publications[i]);
                if (stored == TeamDatabase::Stored::Failed) {
                    summary.error = database.error();
                    summary.waiting = int(publications.size() - i);
                    return summary;
                }
                (*states)[i] = stored == TeamDatabase::Stored::Refused ? SendState::Refused : SendState::Held;
                if (stored == TeamDatabase::Stored::New)
                    ++summary.added;
                else if (stored == TeamDatabase::Stored::AlreadyThere)
                    ++summary.alreadyThere;
                else {
                    ++summary.refused;
                    summary.refusals << publications[i].filePath + QStringLiteral(": ") + database.error();
                }
            }
        } else {
            if (!stopping(first)) {
                summary.error = database.error();
                summary.waiting = int(publications.size() - first);
            }
            return summary;
        }
        if (progress)
            progress(int(end), int(publications.size()));
    }
    return summary;
}

SendSummary sendOutbox(const DatabaseAddress& address, const Outbox& outbox, const SendStop& stop)
{
    const QStringList files = outbox.pending();
    std::vector<Publication> publications;
    QStringList readFiles;
    SendSummary unreadable;
    for (const QString& file : files) {
        if (std::optional<Publication> publication = Outbox::read(file)) {
            publications.push_back(*publication);
            readFiles << file;
        } else {
            // Not a publication this program can read: kept, set aside, never sent.
            QFile::rename(file, file + QStringLiteral(".refused"));
            ++unreadable.refused;
            unreadable.refusals << file + QStringLiteral(": not a publication this program can read");
        }
    }
    if (publications.empty())
        return unreadable;
    std::vector<SendState> states;
    SendSummary summary = sendPublications(address, publications, &states, {}, stop);
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (states[i] == SendState::Refused)
            QFile::rename(readFiles[int(i)], readFiles[int(i)] + QStringLiteral(".refused"));
        else if (states[i] == SendState::Held)
            Outbox::remove(readFiles[int(i)]);
    }
    summary.refused += unreadable.refused;
    summary.refusals += unreadable.refusals;
    return summary;
}
