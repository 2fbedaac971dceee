// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TeamDatabase.h"
#include "TeamSender.h"

#include <memory>

// Publishes as sendPublications() does, with the same outcome for each publication, but in
// batches of a few thousand copied in bulk (TeamDatabase::publishBatch): for the thousands of
// files of a folder, given as they are read. A batch the server refuses is sent again one
// publication at a time, so only the refused ones stay out. The connection is made at the first
// publish() and kept to the end.
class BulkPublisher
{
public:
    explicit BulkPublisher(const DatabaseAddress& address);
    ~BulkPublisher();
    BulkPublisher(const BulkPublisher&) = delete;
    BulkPublisher& operator=(const BulkPublisher&) = delete;

    // Publishes `publications` after those given before (none: only connects). `states`, when
    // given, receives what became of each; `rows`, when given, are their rows as copied
    // (TeamDatabase::copyRowOf), made ahead. Once the server could not be reached or stopped
    // answering, nothing more is sent: the rest counts as waiting.
    void publish(const std::vector<Publication>& publications, std::vector<SendState>* states = nullptr,
                 const SendProgress& progress = {}, const std::vector<TeamDatabase::CopyRow>* rows = nullptr);

    // What was done so far.
    const SendSummary& summary() const { return m_summary; }

private:
    DatabaseAddress m_address;
    std::unique_ptr<TeamDatabase> m_database;
    SendSummary m_summary;
};

// Publishes `publications` with one BulkPublisher.
SendSummary publishInBulk(const DatabaseAddress& address, const std::vector<Publication>& publications,
                          std::vector<SendState>* states, const SendProgress& progress = {});
