#include "sync/history/UsageTexts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>
#include <cmath>

namespace velunora::usagetext {

namespace {

// The day 1970-01-01 in Qt's count of days.
const qint64 unixEpochJulianDay = QDate(1970, 1, 1).toJulianDay();

QString tr(const char* text, int count = -1) {
    return QCoreApplication::translate("UsageTexts", text, nullptr, count);
}

} // namespace

QDate dateOf(usage::Day day) {
    return QDate::fromJulianDay(unixEpochJulianDay + day.time_since_epoch().count());
}

usage::Day dayOf(QDate date) {
    return usage::Day{std::chrono::days{date.toJulianDay() - unixEpochJulianDay}};
}

QString hours(double hours) {
    const auto minutes =
        std::isfinite(hours) && hours > 0.0 ? static_cast<qint64>(std::llround(hours * 60.0)) : 0;
    //: Hours and minutes of use: "6 h 52".
    return tr("%1 h %2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString perHour(double index, const QLocale& locale) {
    //: Events per hour of use: "2,3/h".
    return tr("%1/h").arg(locale.toString(index, 'f', 1));
}

QString pressure(double centimetres, const QLocale& locale) {
    return tr("%1 cmH₂O").arg(locale.toString(centimetres, 'f', 1));
}

QString leak(double litresPerMinute, const QLocale& locale) {
    return tr("%1 L/min").arg(locale.toString(litresPerMinute, 'f', 1));
}

QString shortNightDate(QDate date, const QLocale& locale) {
    //: A night in a list: "lun. 7 déc.", in the locale's own order.
    return locale.toString(date, tr("ddd d MMM"));
}

QString longDate(QDate date, const QLocale& locale) {
    return locale.toString(date, tr("d MMMM yyyy"));
}

QString compliantNights(std::int64_t compliant, std::int64_t days) {
    //: How many of the last days had at least 4 hours of use: "28 nuits sur 30 d’au moins 4 h".
    return tr("%n nuit(s) sur %1 d’au moins 4 h", static_cast<int>(compliant)).arg(days);
}

QString period(const usage::Period& period, const QLocale& locale) {
    return tr("Du %1 au %2 (%n jour(s))", static_cast<int>(period.dayCount()))
        .arg(longDate(dateOf(period.first), locale), longDate(dateOf(period.last), locale));
}

std::vector<Figure> periodFigures(const usage::PeriodStatistics& statistics,
                                  const QLocale& locale) {
    const auto days = statistics.dayCount;
    const auto share = [&](std::int64_t count) {
        return tr("%1 sur %2 (%3 %)")
            .arg(count)
            .arg(days)
            .arg(days > 0
                     ? std::llround(100.0 * static_cast<double>(count) / static_cast<double>(days))
                     : 0);
    };
    const QString none = tr("—");
    std::vector<Figure> figures{
        {tr("Jours d’au moins 4 h"), share(statistics.compliantDays)},
        {tr("Jours avec utilisation"), share(statistics.daysWithUse)},
        {tr("Utilisation moyenne, jours utilisés"),
         statistics.averageHoursOnDaysUsed ? hours(*statistics.averageHoursOnDaysUsed) : none},
        {tr("Utilisation moyenne, tous les jours"), hours(statistics.averageHoursOnAllDays)},
    };
    if (statistics.indices) {
        const usage::EventIndices& index = *statistics.indices;
        figures.push_back(
            {tr("IAH (apnées et hypopnées par heure)"), perHour(index.apnoeaHypopnoea, locale)});
        figures.push_back({tr("Apnées obstructives"), perHour(index.obstructive, locale)});
        figures.push_back({tr("Apnées centrales"), perHour(index.central, locale)});
        figures.push_back({tr("Hypopnées"), perHour(index.hypopnoea, locale)});
        figures.push_back({tr("Apnées non classées"), perHour(index.unclassified, locale)});
        figures.push_back(
            {tr("Éveils liés à l’effort respiratoire (RERA)"), perHour(index.rera, locale)});
    } else {
        figures.push_back({tr("IAH (apnées et hypopnées par heure)"), none});
    }
    const auto spread = [&](const std::optional<usage::Spread>& value, auto format) {
        return value ? tr("médiane %1, 95e centile %2")
                           .arg(format(value->median, locale), format(value->percentile95, locale))
                     : none;
    };
    figures.push_back(
        {tr("Pression moyenne des nuits"), spread(statistics.pressureAverage, pressure)});
    figures.push_back(
        {tr("Pression, 95e centile des nuits"), spread(statistics.pressure95th, pressure)});
    figures.push_back({tr("Fuite moyenne des nuits"), spread(statistics.leakAverage, leak)});
    figures.push_back({tr("Fuite, 95e centile des nuits"), spread(statistics.leak95th, leak)});
    const auto span = [&](const usage::DayRun& run) {
        return tr("du %1 au %2")
            .arg(longDate(dateOf(run.first), locale),
                 longDate(dateOf(run.first + std::chrono::days{run.dayCount - 1}), locale));
    };
    figures.push_back(
        {tr("Plus longue série de jours d’au moins 4 h"),
         statistics.longestCompliantRun
             ? tr("%n jour(s), ", static_cast<int>(statistics.longestCompliantRun->dayCount)) +
                   span(*statistics.longestCompliantRun)
             : none});
    QString rule;
    if (statistics.adherenceWindow) {
        rule = tr("atteint, %1").arg(span(*statistics.adherenceWindow));
    } else if (statistics.bestWindow) {
        rule = tr("non atteint (au mieux %1 jours sur 30)").arg(statistics.bestWindowCompliantDays);
    } else {
        rule = tr("période de moins de 30 jours");
    }
    figures.push_back({tr("21 jours d’au moins 4 h sur 30 consécutifs"), rule});
    return figures;
}

QString nightTitle(QDate date, const QLocale& locale) {
    return tr("Nuit du %1").arg(locale.toString(date, tr("dddd d MMMM yyyy")));
}

QString clockTime(Date instant, const QLocale& locale) {
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(
        static_cast<qint64>(std::llround(instant.secondsSince1970 * 1000.0)));
    return locale.toString(time.time(), QLocale::ShortFormat);
}

std::vector<Figure> nightFigures(const NightSummary& night, const QLocale& locale) {
    std::vector<Figure> figures{
        {tr("Utilisation"), hours(night.totalHours)},
        {tr("Masque porté"), hours(night.maskOnHours)},
        {tr("IAH (apnées et hypopnées par heure)"), perHour(night.ahi, locale)},
        {tr("IDR (avec les RERA)"), perHour(night.rdi, locale)},
        {tr("Apnées obstructives"), QString::number(night.obstructiveCount)},
        {tr("Apnées centrales"), QString::number(night.centralCount)},
        {tr("Hypopnées"), QString::number(night.hypopneaCount)},
        {tr("Apnées non classées"), QString::number(night.unclassifiedCount)},
        {tr("Éveils liés à l’effort respiratoire (RERA)"), QString::number(night.reraCount)},
    };
    const auto optional = [&](const QString& label, const std::optional<double>& value,
                              auto format) {
        if (value && std::isfinite(*value)) {
            figures.push_back({label, format(*value, locale)});
        }
    };
    optional(tr("Pression moyenne"), night.pressureAverage, pressure);
    optional(tr("Pression minimale"), night.pressureMinimum, pressure);
    optional(tr("Pression, 95e centile"), night.pressure95th, pressure);
    optional(tr("Pression maximale"), night.pressureMaximum, pressure);
    optional(tr("Fuite moyenne"), night.leakAverage, leak);
    optional(tr("Fuite, 95e centile"), night.leak95th, leak);
    optional(tr("Fuite maximale"), night.leakMaximum, leak);
    QStringList sessions;
    for (const PAPSession& session : night.sessions) {
        sessions.append(
            tr("%1–%2").arg(clockTime(session.start, locale), clockTime(session.end, locale)));
    }
    figures.push_back(
        {tr("Sessions"), sessions.isEmpty() ? tr("—") : sessions.join(QStringLiteral(", "))});
    return figures;
}

} // namespace velunora::usagetext
