// SPDX-License-Identifier: GPL-3.0-or-later
#include "BulkPublish.h"

#include "TeamDatabase.h"

namespace {

constexpr std::size_t BulkBatchSize = 2500;

} // namespace

BulkPublisher::BulkPublisher(const DatabaseAddress& address) : m_address(address) {}

BulkPublisher::~BulkPublisher() = default;

void BulkPublisher::publish(const std::vector<Publication>& publications, std::vector<SendState>* states,
                            const SendProgress& progress, const std::vector<TeamDatabase::CopyRow>* rows)
{
    std::vector<SendState> ignored;
    if (!states)
        states = &ignored;
    states->assign(publications.size(), SendState::Waiting);
    SendSummary& summary = m_summary;
    if (!summary.error.isEmpty()) {
        summary.waiting += int(publications.size());
        return;
    }
    if (!m_database) {
        m_database = std::make_unique<TeamDatabase>(m_address);
        if (!m_database->open()) {
            summary.error = m_database->error();
            summary.waiting += int(publications.size());
            return;
        }
    }
    TeamDatabase& database = *m_database;
    for (std::size_t first = 0; first < publications.size(); first += BulkBatchSize) {
        const std::size_t end = std::min(publications.size(), first + BulkBatchSize);
        int added = 0;
        const TeamDatabase::Stored stored =
            database.publishBatch(&publications[first], end - first, &added, rows ? rows->data() + first : nullptr);
        if (stored == TeamDatabase::Stored::Failed) {
            summary.error = database.error();
            summary.waiting += int(publications.size() - first);
            return;
        }
        if (stored == TeamDatabase::Stored::Refused) {
            // Which one was refused, and why, only the rows one by one tell.
            const std::vector<Publication> batch(publications.begin() + qsizetype(first),
                                                 publications.begin() + qsizetype(end));
            std::vector<SendState> batchStates;
            const SendSummary sent = sendPublications(m_address, batch, &batchStates);
            std::copy(batchStates.begin(), batchStates.end(), states->begin() + qsizetype(first));
            summary.added += sent.added;
            summary.alreadyThere += sent.alreadyThere;
            summary.refused += sent.refused;
            summary.refusals += sent.refusals;
            if (!sent.error.isEmpty()) {
                summary.error = sent.error;
                summary.waiting += sent.waiting + int(publications.size() - end);
                return;
            }
        } else {
            summary.added += added;
            summary.alreadyThere += int(end - first) - added;
            std::fill(states->begin() + qsizetype(first), states->begin() + qsizetype(end), SendState::Held);
        }
        if (progress)
            progress(int(end), int(publications.size()));
    }
}

SendSummary publishInBulk(const DatabaseAddress& address, const std::vector<Publication>& publications,
                          std::vector<SendState>* states, const SendProgress& progress)
{
    BulkPublisher publisher(address);
    publisher.publish(publications, states, progress);
    return publisher.summary();
}
