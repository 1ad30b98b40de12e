#pragma once

#include "nights/UsageStatistics.h"
#include "records/Snapshot.h"

#include <QLocale>
#include <QString>

namespace velunora {

// What the clinic is shown: the device, the figures of a period, a chart of the hours of use
// per night and a table of the nights, on A4 pages. Needs a QGuiApplication (for the fonts).
struct NightsReport {
    const OscarSnapshot& snapshot;
    usage::Period period;
    QLocale locale;
};

// Writes the report as a PDF that replaces `path` in one step; the text of what failed, or
// nothing.
std::optional<QString> writeReportPdf(const NightsReport& report, const QString& path);

// Writes the nights of the period as CSV, the same way; the text of what failed, or nothing.
std::optional<QString> writeReportCsv(const NightsReport& report, const QString& path);

} // namespace velunora
