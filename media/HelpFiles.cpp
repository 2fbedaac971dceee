// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpFiles.h"

#include "ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// A path starting with one backslash ("\HelpFile\HELPFILE.HLP") names no drive; a path
// with no leading separator at all is relative. Both are taken below the program's folder.
bool belowProgramFolder(const QString& helpPath)
{
    if (helpPath.startsWith(QLatin1String("\\\\")))
        return false; // a network path
    if (helpPath.startsWith(QLatin1Char('\\')))
        return true;
    return QDir::isRelativePath(QDir::fromNativeSeparators(helpPath).replace(QLatin1Char('\\'), QLatin1Char('/')));
}

QString withSlashes(QString path)
{
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

// Finds `name` in `folder`, exactly if it is there, otherwise ignoring case.
QString matchEntry(const QDir& folder, const QString& name)
{
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return name;
    if (QFileInfo::exists(folder.filePath(name)))
        return name;
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

QString sectionHeading(const QString& sectionHtml)
{
    static const QRegularExpression heading(QStringLiteral("<h[1-6][^>]*>(.*?)</h[1-6]>"),
                                            QRegularExpression::DotMatchesEverythingOption |
                                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = heading.match(sectionHtml);
    if (!match.hasMatch())
        return QString();
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    return match.captured(1).remove(tags).simplified();
}

} // namespace

QString HelpFiles::expectedPath(const QString& helpPath)
{
    const QString path = withSlashes(helpPath);
    if (belowProgramFolder(helpPath))
        return QDir::cleanPath(ProgramFolder::path() + QLatin1Char('/') + path);
    return QDir::cleanPath(path);
}

QString HelpFiles::resolve(const QString& helpPath)
{
    QString start;
    QString rest = withSlashes(helpPath);
    if (rest.trimmed().isEmpty())
        return QString();
    if (belowProgramFolder(helpPath)) {
        start = ProgramFolder::path();
    } else {
        // Keep the root ("/", "C:/") as it is; match every component after it.
        const QString clean = QDir::cleanPath(rest);
        QString root = clean;
        for (QString parent = QFileInfo(root).path(); parent != root; parent = QFileInfo(root).path())
            root = parent;
        start = root;
        rest = clean.mid(root.size());
    }
    QString current = start;
    const QStringList parts = rest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QDir folder(current);
        const QString entry = matchEntry(folder, part);
        if (entry.isEmpty())
            return QString();
        current = folder.filePath(entry);
    }
    const QFileInfo file(current);
    if (!file.isFile())
        return QString();
    return QDir::cleanPath(file.absoluteFilePath());
}

QString HelpFiles::reductionMeasuresFile()
{
    return ProgramFolder::path() + QStringLiteral("\\Reduction Measures\\HELPFILE.HLP");
}

bool HelpDocument::load(const QString& helpPath, QString* error)
{
    const QString where = QDir::toNativeSeparators(HelpFiles::expectedPath(helpPath));
    auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    m_path = HelpFiles::resolve(helpPath);
    if (m_path.isEmpty())
        return fail(QStringLiteral("The help file \"%1\" could not be found.").arg(where));
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("The help file \"%1\" could not be read.").arg(where));
    const QString text = QString::fromUtf8(file.readAll());

    static const QRegularExpression section(
        QStringLiteral("<section\\s+id=\"(contents|topic-(\\d+))\"[^>]*>(.*?)</section>"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    m_contents.clear();
    m_topics.clear();
    for (auto it = section.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString body = match.captured(3).trimmed();
        if (match.captured(2).isEmpty())
            m_contents = body;
        else
            m_topics.insert(match.captured(2).toInt(), body);
    }
    if (m_contents.isEmpty())
        return fail(QStringLiteral("The file \"%1\" is not a help file that this program can show: it has no contents.")
                        .arg(where));
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::DotMatchesEverythingOption |
                                              QRegularExpression::CaseInsensitiveOption);
    m_title = title.match(text).captured(1).simplified();
    if (m_title.isEmpty())
        m_title = sectionHeading(m_contents);
    return true;
}

QString HelpDocument::topicTitle(int topic) const
{
    return sectionHeading(m_topics.value(topic));
}

QString HelpDocument::pageHtml() const
{
    QString page = QStringLiteral("<html><body><a name=\"contents\"></a>") + m_contents;
    for (auto it = m_topics.cbegin(); it != m_topics.cend(); ++it)
        page += QStringLiteral("<hr/><a name=\"topic-%1\"></a>").arg(it.key()) + it.value();
    page += QStringLiteral("</body></html>");
    return page;
}
