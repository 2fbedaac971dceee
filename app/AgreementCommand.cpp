// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include "Agreement.h"
#include "AgreementReport.h"
#include "ErrorLine.h"
#include "FolderReading.h"
#include "OutputFiles.h"
#include "RegisterCsv.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <QTextStream>

#include <utility>
#include <vector>

namespace {

// The assessments read under `folder`, by their path under it.
QMap<QString, AssessmentRecord> byRelativePath(const QString& folder, const QStringList& files, QTextStream& errors)
{
    const QDir root(folder);
    QMap<QString, AssessmentRecord> records;
    for (const FolderAssessment& saved : ReadSavedAssessments(files, errors).read)
        records.insert(QDir::fromNativeSeparators(root.relativeFilePath(saved.path)), saved.record);
    return records;
}

using Pair = std::pair<const AssessmentRecord*, const AssessmentRecord*>;

// Pairs the files of A with those of B that have the same path under their folder; what is left
// stays in `unpairedA` and `unpairedB`. The place for a second pairing (by employee
// identification and task) of what is left, once saved assessments carry a task, is here.
QList<Pair> pairAssessments(const QMap<QString, AssessmentRecord>& a, const QMap<QString, AssessmentRecord>& b,
                            QStringList& paired, QStringList& unpairedA, QStringList& unpairedB)
{
    QList<Pair> pairs;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        const auto partner = b.constFind(it.key());
        if (partner == b.cend()) {
            unpairedA << it.key();
            continue;
        }
        pairs.append(Pair{&it.value(), &partner.value()});
        paired << it.key();
    }
    for (auto it = b.cbegin(); it != b.cend(); ++it) {
        if (!a.contains(it.key()))
            unpairedB << it.key();
    }
    return pairs;
}

QList<AgreementItem> agreementItems(const QList<Pair>& pairs)
{
    // RULA's scores, then REBA's four items (a pair counts only where both scored that side).
    QList<RegisterCsv::ScoreColumn> columns = RegisterCsv::scoreColumnsWithRanges();
    const QStringList reba = RegisterCsv::rebaColumns();
    for (int i = 0; i < reba.size(); ++i)
        columns.append({reba[i], i < 2 ? rula::ScoreRange{1, 15} : rula::ScoreRange{1, 5}});
    std::vector<std::vector<std::pair<int, int>>> values(static_cast<std::size_t>(columns.size()));
    for (const Pair& pair : pairs) {
        const QList<std::optional<int>> first =
            RegisterCsv::scores(*pair.first) + RegisterCsv::rebaScores(pair.first->reba);
        const QList<std::optional<int>> second =
            RegisterCsv::scores(*pair.second) + RegisterCsv::rebaScores(pair.second->reba);
        for (int column = 0; column < columns.size(); ++column) {
            if (first[column] && second[column])
                values[static_cast<std::size_t>(column)].emplace_back(*first[column], *second[column]);
        }
    }
    QList<AgreementItem> items;
    for (int column = 0; column < columns.size(); ++column) {
        const RegisterCsv::ScoreColumn& score = columns[column];
        items.append(AgreementItem{score.name, rula::agreement::itemFigures(values[static_cast<std::size_t>(column)],
                                                                            score.range.lowest, score.range.highest)});
    }
    return items;
}

QByteArray csvNumber(const std::optional<double>& value)
{
    if (!value)
        return QByteArray();
    QByteArray text = QByteArray::number(*value, 'f', 4);
    return text == "-0.0000" ? QByteArray("0.0000") : text;
}

QByteArray agreementCsv(const QList<AgreementItem>& items)
{
    QByteArray csv = "item,pairs,exact_agreement,kappa,kappa_low,kappa_high,kappa_linear,kappa_linear_low,"
                     "kappa_linear_high,kappa_quadratic,kappa_quadratic_low,kappa_quadratic_high,ac1,icc,icc_low,"
                     "icc_high\r\n";
    for (const AgreementItem& item : items) {
        const rula::agreement::ItemFigures& f = item.figures;
        QByteArrayList fields{RegisterCsv::field(item.name), QByteArray::number(f.pairs), csvNumber(f.exactAgreement)};
        for (const rula::agreement::Estimate* estimate : {&f.kappa, &f.linearKappa, &f.quadraticKappa})
            fields << csvNumber(estimate->value) << csvNumber(estimate->low) << csvNumber(estimate->high);
        fields << csvNumber(f.ac1) << csvNumber(f.icc.value) << csvNumber(f.icc.low) << csvNumber(f.icc.high);
        csv += fields.join(',') + "\r\n";
    }
    return csv;
}

} // namespace

int RunAgreementCommand(const CommandLine& command, QTextStream& errors)
{
    const QString folderA = command.inputs.value(0);
    const QString folderB = command.inputs.value(1);
    for (const QString& folder : {folderA, folderB}) {
        if (!QFileInfo(folder).isDir()) {
            errorLine(errors, folder) << "not a folder\n";
            return 1;
        }
    }
    const QString output = command.output.isEmpty() ? QStringLiteral("Agreement.pdf") : command.output;
    const SavedFileTree treeA = WalkSavedFiles(folderA);
    const SavedFileTree treeB = WalkSavedFiles(folderB);
    const QString refused = OutputFiles::refusal(output, treeA.files + treeB.files, !command.output.isEmpty());
    if (!refused.isEmpty()) {
        errorLine(errors, output) << refused << '\n';
        return 1;
    }

    PrepareTree(treeA, errors);
    PrepareTree(treeB, errors);
    const QMap<QString, AssessmentRecord> a = byRelativePath(folderA, treeA.files, errors);
    const QMap<QString, AssessmentRecord> b = byRelativePath(folderB, treeB.files, errors);
    AgreementStudy study{folderA, folderB, {}, {}, {}, {}};
    const QList<Pair> pairs = pairAssessments(a, b, study.pairs, study.unpairedA, study.unpairedB);
    for (const QString& path : study.unpairedA)
        errorLine(errors, QDir(folderA).filePath(path))
            << "unpaired: no file of the same path under " << folderB << '\n';
    for (const QString& path : study.unpairedB)
        errorLine(errors, QDir(folderB).filePath(path))
            << "unpaired: no file of the same path under " << folderA << '\n';
    if (pairs.size() < 2) {
        errorLine(errors, folderA) << pairs.size() << (pairs.size() == 1 ? " pair" : " pairs")
                                   << " of saved assessments with " << folderB
                                   << "; at least two are needed; nothing written\n";
        return 1;
    }
    study.items = agreementItems(pairs);

    QSaveFile file(output);
    const bool csv = QFileInfo(output).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    bool written = file.open(QIODevice::WriteOnly);
    if (written && csv) {
        const QByteArray bytes = agreementCsv(study.items);
        written = file.write(bytes) == bytes.size();
    } else if (written) {
        written = writeAgreementReport(study, file);
    }
    if (!written || !file.commit()) {
        errorLine(errors, output) << "cannot be written: " << file.errorString() << '\n';
        return 1;
    }
    errors << "talvo-rula: " << pairs.size() << " pairs read (" << study.unpairedA.size() << " unpaired under "
           << QDir::toNativeSeparators(folderA) << ", " << study.unpairedB.size() << " under "
           << QDir::toNativeSeparators(folderB) << "); agreement written to " << QDir::toNativeSeparators(output)
           << '\n';
    return 0;
}
