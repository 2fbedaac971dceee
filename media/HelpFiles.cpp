// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpFiles.h"

#include "BreakPoints.h"
#include "ProgramFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>

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

bool HelpFiles::isInsideFolder(const QString& path, const QString& folder)
{
    const QFileInfo file(path);
    const QString real = file.canonicalFilePath();
    if (real.isEmpty() || folder.isEmpty() || !QFileInfo(real).isFile() || file.size() > MaxFileSize)
        return false;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return real.startsWith(prefix);
}

namespace {

// The file behind a picture reference, if help may load it; otherwise empty.
QString confinedPicture(QString reference, const QString& folder)
{
    reference = reference.trimmed();
    const QUrl url(reference);
    QString path;
    if (url.isLocalFile())
        path = url.toLocalFile();
    else if (url.scheme().isEmpty())
        path = QUrl::fromPercentEncoding(reference.toUtf8());
    else
        return {}; // no other scheme: nothing is fetched from elsewhere
    if (QDir::isRelativePath(path))
        path = folder + QLatin1Char('/') + path;
    return HelpFiles::isInsideFolder(path, folder) ? QFileInfo(path).canonicalFilePath() : QString();
}

// A section with every way of loading a file confined: pictures only from the folder, as
// absolute file addresses; no style sheets, imports, background pictures or CSS addresses.
QString confined(const QString& html, const QString& folder)
{
    static const QRegularExpression source(
        QStringLiteral("\\bsrc\\s*=\\s*(\"[^\"]{0,4096}\"|'[^']{0,4096}'|[^\\s>]{1,4096})"),
        QRegularExpression::CaseInsensitiveOption);
    QString out;
    out.reserve(html.size());
    qsizetype last = 0;
    for (auto it = source.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        QString value = match.captured(1);
        if (value.startsWith(QLatin1Char('"')) || value.startsWith(QLatin1Char('\'')))
            value = value.mid(1, value.size() - 2);
        const QString picture = confinedPicture(value, folder);
        out += QStringView(html).mid(last, match.capturedStart() - last);
        out += QStringLiteral("src=\"%1\"")
                   .arg(picture.isEmpty() ? QString() : QUrl::fromLocalFile(picture).toString().toHtmlEscaped());
        last = match.capturedEnd();
    }
    out += QStringView(html).mid(last);
    static const QRegularExpression loaders(QStringLiteral("\\bbackground\\s*=|url\\s*\\(|@import|<link\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    out.replace(loaders, QStringLiteral("x-blocked-"));
    return out;
}

// Gives words longer than a line a place to break (see BreakPoints), never inside a tag or
// an entity ("&amp;").
QString breakLongWords(const QString& html)
{
    QString out;
    out.reserve(html.size() + html.size() / BreakPoints::Longest);
    BreakPoints points;
    bool inTag = false;
    int inEntity = 0; // letters left that may still belong to an entity ("&amp;")
    for (const QChar c : html) {
        if (c == QLatin1Char('<')) {
            inTag = true;
        } else if (c == QLatin1Char('>')) {
            inTag = false;
            points.reset();
        } else if (!inTag) {
            if (c == QLatin1Char('&'))
                inEntity = 12;
            else if (inEntity > 0 && (c == QLatin1Char(';') || (!c.isLetterOrNumber() && c != QLatin1Char('#'))))
                inEntity = 0;
            else if (inEntity > 0)
                --inEntity;
            if (points.breakBefore(c, inEntity == 0 && c != QLatin1Char(';')))
                out += QChar(BreakPoints::Mark);
        }
        out += c;
    }
    return out;
}

// The text between the first `open` and the next `close` after it, found without any
// backtracking; empty when either is missing.
QString between(const QString& text, QLatin1String open, QLatin1String close)
{
    const qsizetype start = text.indexOf(open, 0, Qt::CaseInsensitive);
    if (start < 0)
        return {};
    const qsizetype end = text.indexOf(close, start + open.size(), Qt::CaseInsensitive);
    return end < 0 ? QString() : text.mid(start + open.size(), end - start - open.size());
}

// Reads and indexes a help file in one pass over it: each "<section id=...>" up to the
// next "</section>". A section that is never closed ends the file's sections.
std::shared_ptr<HelpDocument::Index> indexFile(const QString& text, const QString& folder)
{
    auto index = std::make_shared<HelpDocument::Index>();
    index->folder = folder;
    static const QRegularExpression opening(QStringLiteral("^<section\\s+id=\"(contents|topic-(\\d{1,9}))\""),
                                            QRegularExpression::CaseInsensitiveOption);
    const QLatin1String sectionStart("<section");
    const QLatin1String sectionEnd("</section>");
    qsizetype pos = 0;
    for (;;) {
        const qsizetype start = text.indexOf(sectionStart, pos, Qt::CaseInsensitive);
        if (start < 0)
            break;
        const qsizetype tagEnd = text.indexOf(QLatin1Char('>'), start);
        if (tagEnd < 0)
            break;
        const QRegularExpressionMatch match = opening.match(text.mid(start, std::min<qsizetype>(tagEnd - start, 64)));
        if (!match.hasMatch()) {
            pos = start + sectionStart.size(); // some other text that begins like a section
            continue;
        }
        const qsizetype end = text.indexOf(sectionEnd, tagEnd, Qt::CaseInsensitive);
        if (end < 0)
            break;
        const QString body = breakLongWords(confined(text.mid(tagEnd + 1, end - tagEnd - 1).trimmed(), folder));
        if (match.captured(2).isEmpty())
            index->contents = body;
        else
            index->topics.insert(match.captured(2).toInt(), body);
        pos = end + sectionEnd.size();
    }
    index->title = between(text, QLatin1String("<title>"), QLatin1String("</title>")).simplified();
    if (index->title.isEmpty())
        index->title = sectionHeading(index->contents);
    return index;
}

struct CachedIndex
{
    qint64 size = -1;
    QDateTime modified;
    std::shared_ptr<const HelpDocument::Index> index;
};

} // namespace

bool HelpDocument::load(const QString& helpPath, QString* error)
{
    const QString where = QDir::toNativeSeparators(HelpFiles::expectedPath(helpPath));
    auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        m_index.reset();
        return false;
    };
    m_path = HelpFiles::resolve(helpPath);
    if (m_path.isEmpty())
        return fail(QStringLiteral("The help file \"%1\" could not be found.").arg(where));
    const QFileInfo info(m_path);
    if (info.size() > HelpFiles::MaxFileSize)
        return fail(QStringLiteral("The help file \"%1\" could not be read.").arg(where));

    static QHash<QString, CachedIndex> cache;
    CachedIndex& cached = cache[m_path];
    if (!cached.index || cached.size != info.size() || cached.modified != info.lastModified()) {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("The help file \"%1\" could not be read.").arg(where));
        const QByteArray bytes = file.read(HelpFiles::MaxFileSize + 1);
        if (bytes.size() > HelpFiles::MaxFileSize)
            return fail(QStringLiteral("The help file \"%1\" could not be read.").arg(where));
        cached.size = info.size();
        cached.modified = info.lastModified();
        cached.index = indexFile(QString::fromUtf8(bytes), QFileInfo(m_path).canonicalPath());
    }
    m_index = cached.index;
    if (m_index->contents.isEmpty())
        return fail(QStringLiteral("The file \"%1\" is not a help file that this program can show: it has no contents.")
                        .arg(where));
    return true;
}

QString HelpDocument::folder() const
{
    return m_index ? m_index->folder : QString();
}

QString HelpDocument::title() const
{
    return m_index ? m_index->title : QString();
}

QString HelpDocument::contentsHtml() const
{
    return m_index ? m_index->contents : QString();
}

bool HelpDocument::hasTopic(int topic) const
{
    return m_index && m_index->topics.contains(topic);
}

QString HelpDocument::topicHtml(int topic) const
{
    return m_index ? m_index->topics.value(topic) : QString();
}

QList<int> HelpDocument::topicNumbers() const
{
    return m_index ? m_index->topics.keys() : QList<int>();
}

QString HelpDocument::topicTitle(int topic) const
{
    return sectionHeading(topicHtml(topic));
}
