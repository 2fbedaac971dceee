// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DatabaseAddress.h"
#include "Outbox.h"
#include "Publication.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// What one round of publishing did.
struct SendSummary
{
    int added = 0;
    int alreadyThere = 0;
    int refused = 0;      // refused by the server one by one (refusals says why)
    int waiting = 0;      // not sent: the server could not be reached (error says why)
    QString error;        // why the server could not be reached or stopped answering
    QStringList refusals; // "FILE: why"
};

using SendProgress = std::function<void(int done, int total)>;

// Asked between publications: true to stop sending (the rest waits for the next round).
using SendStop = std::function<bool()>;

// What became of one publication.
enum class SendState
{
    Waiting, // not sent
    Held,    // the database holds it (new or already there)
    Refused, // the server refused it
};

// Publishes `publications` in order, in transactions of a few hundred. Each one is stored once:
// a publication the database already holds counts as already there. `states` receives what
// became of each. When `stop` says so, the transaction under way is undone and the rest waits.
SendSummary sendPublications(const DatabaseAddress& address, const std::vector<Publication>& publications,
                             std::vector<SendState>* states, const SendProgress& progress = {},
                             const SendStop& stop = {});

// Sends every waiting publication of `outbox` and removes those the database now holds. One the
// server refuses as data (TeamDatabase::refusesTheRow) is set aside beside the others
// (".refused"), kept but no longer sent; any other failure leaves it waiting for the next round.
SendSummary sendOutbox(const DatabaseAddress& address, const Outbox& outbox, const SendStop& stop = {});
