// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A help file written to harm its reader: links and pictures that point outside the help
// folder (a file, a device that never ends), thousands of topics, and an unclosed section.

#include <QByteArray>

inline QByteArray hostileHelpFile(int topics, const QByteArray& outside)
{
    QByteArray html = "<!DOCTYPE html><html><head><title>Hostile Help</title>"
                      "<link rel=\"stylesheet\" href=\"" +
                      outside +
                      "\"></head><body>\n"
                      "<section id=\"contents\"><h1>Hostile Help</h1>\n"
                      "<p><a href=\"file:///etc/passwd\">passwd</a> <a href=\"file://" +
                      outside +
                      "#topic-1\">outside</a> <a href=\"http://example.com/\">web</a></p>\n"
                      "<p><img src=\"/etc/passwd\"><img src=\"file:///dev/zero\"><img src=\"" +
                      outside +
                      "\"><img src=\"../outside.png\"><img src=\"inside.png\"></p>\n"
                      "<p style=\"background-image: url(" +
                      outside + ")\">styled</p>\n<table background=\"" + outside + "\"><tr><td>t</td></tr></table>\n";
    for (int i = 1; i <= topics; i += 97)
        html += "<a href=\"#topic-" + QByteArray::number(i) + "\">Topic " + QByteArray::number(i) + "</a>\n";
    html += "</section>\n";
    for (int i = 1; i <= topics; ++i) {
        html += "<section id=\"topic-" + QByteArray::number(i) + "\"><h2>Topic " + QByteArray::number(i) +
                "</h2><p>Text of topic " + QByteArray::number(i) + ". <img src=\"" + outside +
                "\"><img src=\"inside.png\"> <a href=\"#topic-" + QByteArray::number(i % topics + 1) +
                "\">next</a></p></section>\n";
    }
    html += "<section id=\"topic-999999\"><h2>Never closed</h2><p>" + QByteArray(100000, 'w');
    return html;
}
