// SPDX-License-Identifier: GPL-3.0-or-later
// Opening help in a hostile file of 20,000 topics (with an unclosed section and links and
// pictures outside its folder): the first read and index of the file, then a topic opened
// in the viewer and as context help, each timed over many runs.
// Usage: bench_help [runs]
#include "BenchSupport.h"
#include "ContextHelp.h"
#include "HelpFiles.h"
#include "HelpViewer.h"
#include "HostileHelpFile.h"
#include "ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double msSince(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("HelpFile")));
    ProgramFolder::setPath(dir.path());
    const QString helpPath = QStringLiteral("\\HelpFile\\HELPFILE.HLP");
    const QString file = dir.filePath(QStringLiteral("HelpFile/HELPFILE.HLP"));

    std::vector<double> first;
    std::vector<double> viewerTopic;
    std::vector<double> popupTopic;
    QWidget owner;
    QWidget window;
    ContextHelp::install(&window, [&] { return helpPath; });
    auto* control = new QWidget(&window);
    window.show();
    for (int run = 0; run < runs; ++run) {
        {
            // A new file each run, so that the first open reads and indexes it again.
            QFile out(file);
            out.open(QIODevice::WriteOnly);
            out.write(hostileHelpFile(20000, "/etc/passwd").append(QByteArray::number(run)));
        }
        QElapsedTimer timer;
        timer.start();
        HelpViewer* viewer = HelpViewer::showContents(&owner, helpPath, {});
        first.push_back(msSince(timer));
        if (!viewer)
            return 1;
        const int topic = 1 + (run * 7919) % 20000;
        timer.restart();
        viewer->showTopic(topic);
        viewer->browser()->grab();
        viewerTopic.push_back(msSince(timer));

        control->setProperty("helpTopic", topic);
        timer.restart();
        QWidget* popup = ContextHelp::showFor(control);
        popupTopic.push_back(msSince(timer));
        if (popup)
            popup->close();
    }
    const qint64 hostileSize = QFileInfo(file).size();
    // One topic holding a single word of 1 MB.
    std::vector<double> longWord;
    {
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write("<section id=\"contents\"><h1>Long</h1><a href=\"#topic-1\">1</a></section>\n"
                  "<section id=\"topic-1\"><h2>Word</h2><p>" +
                  QByteArray(1024 * 1024, 'w') + "</p></section>\n");
    }
    for (int run = 0; run < std::min(runs, 5); ++run) {
        HelpViewer* viewer = HelpViewer::showContents(&owner, helpPath, {});
        if (!viewer)
            return 1;
        QElapsedTimer timer;
        timer.start();
        viewer->showTopic(1);
        viewer->browser()->grab();
        longWord.push_back(msSince(timer));
        viewer->showContentsTopic();
    }
    std::printf("help file of 20,000 topics: %lld bytes\n", static_cast<long long>(hostileSize));
    printTimings("first open (read, index, contents)", first, 36, 8, 2);
    printTimings("topic in the viewer (shown, painted)", viewerTopic, 36, 8, 2);
    printTimings("topic as context help", popupTopic, 36, 8, 2);
    printTimings("topic of one 1 MB word (viewer)", longWord, 36, 8, 2);
    return 0;
}
