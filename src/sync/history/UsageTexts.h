#pragma once

#include "nights/UsageStatistics.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <vector>

// The figures of the nights as the panel, the history window and the report write them, in
// the user's language.
namespace velunora::usagetext {

QDate dateOf(usage::Day day);
usage::Day dayOf(QDate date);

// "6 h 52": hours and minutes, the minutes rounded.
QString hours(double hours);
// "2,3/h".
QString perHour(double index, const QLocale& locale = QLocale());
// "9,8 cmH₂O" and "12,0 L/min".
QString pressure(double centimetres, const QLocale& locale = QLocale());
QString leak(double litresPerMinute, const QLocale& locale = QLocale());
// "lun. 7 déc." for a night; "7 décembre 2026" for the bounds of a period.
QString shortNightDate(QDate date, const QLocale& locale = QLocale());
QString longDate(QDate date, const QLocale& locale = QLocale());
// "28 nuits sur 30 d’au moins 4 h".
QString compliantNights(std::int64_t compliant, std::int64_t days);
// "Du 9 novembre au 8 décembre 2026 (30 jours)".
QString period(const usage::Period& period, const QLocale& locale = QLocale());

// One labelled figure of a list: "Utilisation moyenne", "6 h 52".
struct Figure {
    QString label;
    QString value;
};

// The figures of a period, as the history window and the report list them.
std::vector<Figure> periodFigures(const usage::PeriodStatistics& statistics,
                                  const QLocale& locale = QLocale());
// The figures of one night.
std::vector<Figure> nightFigures(const NightSummary& night, const QLocale& locale = QLocale());
// "Nuit du lundi 7 décembre 2026".
QString nightTitle(QDate date, const QLocale& locale = QLocale());
// Local clock time of an instant: "22:41".
QString clockTime(Date instant, const QLocale& locale = QLocale());

} // namespace velunora::usagetext
