// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Saved result text files made with the program's own writer, for the tests and benchmarks that
// need many different ones.

#include "AssessmentRecord.h"
#include "OptionCatalogue.h"
#include "ResultTextFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <vector>

// A complete assessment that differs with `seed`: one posture in every group, and some of
// its adjustments.
inline rula::AssessmentState variedAssessment(int seed)
{
    rula::AssessmentState state;
    int turn = 0;
    for (const rula::GroupInfo& group : rula::groups()) {
        std::vector<int> bases;
        for (int option = group.firstOption; option < group.firstOption + group.optionCount; ++option) {
            if (rula::options()[static_cast<std::size_t>(option)].kind == rula::OptionKind::Base)
                bases.push_back(option);
        }
        ++turn;
        state.SelectOption(bases[static_cast<std::size_t>((seed * 7 + turn * 3) % int(bases.size()))]);
        for (int option = group.firstOption; option < group.firstOption + group.optionCount; ++option) {
            if (rula::options()[static_cast<std::size_t>(option)].kind == rula::OptionKind::Adjustment &&
                (seed + option) % 3 == 0)
                state.SelectOption(option);
        }
    }
    return state;
}

// The text file a save writes for `assessment` and the employee `texts`, with its scores
// computed now.
inline QByteArray savedTextFile(const rula::AssessmentState& assessment, const EmployeeTexts& texts)
{
    return ResultTextFile::contents(SaveTableOf(BuildRecord(assessment, texts, QDateTime::currentDateTime())));
}

// Writes `bytes` as the whole file at `path`, making its folders first; true when all is written.
inline bool writeWholeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}
