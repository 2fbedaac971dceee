// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PageFlow.h"
#include "ReportContent.h"

#include <vector>

struct MeasureParagraph;

// What one page of the report tells a later one.
struct ReportNotes
{
    bool employeeTextsCut = false; // the summary had to cut an employee text
};

// One page of the report (or a part that starts its own page): draws what `content` holds
// for it into `flow`, starting a new page itself unless it is the first. A page with nothing
// to show draws nothing.
using ReportPage = void (*)(PageFlow& flow, const ReportContent& content, ReportNotes& notes);

// The report's pages in the order they are printed (ReportPages.cpp). A new page is a unit
// of its own and one line in that list.
const std::vector<ReportPage>& reportPages();

// Paragraphs of the reduction measures guide as the report prints them.
void measureParagraphs(PageFlow& flow, const std::vector<MeasureParagraph>& paragraphs);

// A picture with the angles of `measured` drawn over it, as large as fits `box`.
void annotatedPicture(QPainter& painter, const QImage& picture, const MeasuredAngles& measured, const QRectF& box,
                      qreal pixel);
// One row per measured body part of `sheet`: part, angle, band, score, applied.
void measurementTable(PageFlow& flow, const rula::PictureMeasurements& sheet);

// The pages, one unit each.
void summaryPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes);
void detailPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes);
void measuredAnglesPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes);
void plannedChangesPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes);
void closingPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes);
void employeeTextsPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes);
void keyFramesPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes);
void scoredVideoPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes);
void rebaPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes);
void historyPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes);
