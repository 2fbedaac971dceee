// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include <memory>

// The help files are plain HTML under the program's folder:
//   HelpFile/HELPFILE.HLP            the project help file (the initial application help file)
//   Helpfile/helpfile.hlp            the program-folder help file (same topics)
//   Reduction Measures/HELPFILE.HLP  the reduction measures guide
// A file holds one <section id="contents"> and one <section id="topic-N"> per topic number,
// each section starting with its heading.
namespace HelpFiles {

// Help paths are written with backslashes. One that starts with a single backslash names
// no drive and no folder and is taken below the program's folder; any other absolute path
// is taken as it is. Every component is matched ignoring case (an exact match wins).
// Returns the file's real path, or an empty string when there is no such file.
QString resolve(const QString& helpPath);

// The path a help path stands for, before any file is looked up (for messages).
QString expectedPath(const QString& helpPath);

// The program folder's reduction measures guide, as the action levels window names it.
QString reductionMeasuresFile();

// A larger file is no help file: it gets the message of an unreadable one.
constexpr qint64 MaxFileSize = qint64{8} * 1024 * 1024;

// Whether `path` is a plain file (after following links) inside `folder` (a real, clean
// path) and no larger than MaxFileSize: the only files help may load besides itself.
bool isInsideFolder(const QString& path, const QString& folder);

} // namespace HelpFiles

// One help file, read and split into its sections. A file is read and indexed once (again
// only when it changes), so opening a topic costs no more than that topic. Sections are
// confined to the file's folder: a picture elsewhere is dropped, and so are style sheets,
// background pictures and other ways of loading a file.
class HelpDocument
{
public:
    // Reads the file named by a help path. On failure returns false and sets `error` to a
    // message for the assessor: the file is missing, cannot be read, or is no help file.
    bool load(const QString& helpPath, QString* error);

    QString path() const { return m_path; }
    // The real folder the file lies in: the only place its pictures may come from.
    QString folder() const;
    QString title() const;
    QString contentsHtml() const;
    bool hasTopic(int topic) const;
    // The topic's section (heading included) as HTML; empty when the file lacks it.
    QString topicHtml(int topic) const;
    QString topicTitle(int topic) const;
    QList<int> topicNumbers() const;

    struct Index
    {
        QString folder;
        QString title;
        QString contents;
        QMap<int, QString> topics;
    };

private:
    QString m_path;
    std::shared_ptr<const Index> m_index;
};
