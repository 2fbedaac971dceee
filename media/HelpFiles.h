// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QMap>
#include <QString>

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

} // namespace HelpFiles

// One help file, read and split into its sections.
class HelpDocument
{
public:
    // Reads the file named by a help path. On failure returns false and sets `error` to a
    // message for the assessor: the file is missing, cannot be read, or is no help file.
    bool load(const QString& helpPath, QString* error);

    QString path() const { return m_path; }
    QString title() const { return m_title; }
    QString contentsHtml() const { return m_contents; }
    bool hasTopic(int topic) const { return m_topics.contains(topic); }
    // The topic's section (heading included) as HTML; empty when the file lacks it.
    QString topicHtml(int topic) const { return m_topics.value(topic); }
    QString topicTitle(int topic) const;
    QList<int> topicNumbers() const { return m_topics.keys(); }

    // The whole file as one HTML page, contents first, every topic reachable by the
    // anchor "topic-N" from the contents' links.
    QString pageHtml() const;

private:
    QString m_path;
    QString m_title;
    QString m_contents;
    QMap<int, QString> m_topics;
};
