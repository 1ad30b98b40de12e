#include "sync/history/UsageTexts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>
#include <cmath>

namespace velunora::usagetext {

namespace {

// The app's texts of this file, in the user's language.
QString translate(const char* context, const char* text, const char* disambiguation = nullptr,
                  int count = -1) {
    return QCoreApplication::translate(context, text, disambiguation, count);
}
// The day 1970-01-01 in Qt's count of days.
const qint64 unixEpochJulianDay = QDate(1970, 1, 1).toJulianDay();

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
    return translate("UsageTexts", "%1 h %2")
        .arg(minutes / 60)
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString perHour(double index, const QLocale& locale) {
    //: Events per hour of use: "2,3/h".
    return translate("UsageTexts", "%1/h").arg(locale.toString(index, 'f', 1));
}

QString pressure(double centimetres, const QLocale& locale) {
    return translate("UsageTexts", "%1 cmH₂O").arg(locale.toString(centimetres, 'f', 1));
}

QString leak(double litresPerMinute, const QLocale& locale) {
    return translate("UsageTexts", "%1 L/min").arg(locale.toString(litresPerMinute, 'f', 1));
}

QString shortNightDate(QDate date, const QLocale& locale) {
    //: A night in a list: "lun. 7 déc.", in the locale's own order.
    return locale.toString(date, translate("UsageTexts", "ddd d MMM"));
}

QString longDate(QDate date, const QLocale& locale) {
    return locale.toString(date, translate("UsageTexts", "d MMMM yyyy"));
}

QString compliantNights(std::int64_t compliant, std::int64_t days) {
    const int count = static_cast<int>(compliant);
    //: How many of the last days had at least 4 hours of use: "28 nuits sur 30 d’au moins 4 h".
    return translate("UsageTexts", "%n nuit(s) sur %1 d’au moins 4 h", nullptr, count).arg(days);
}

QString period(const usage::Period& period, const QLocale& locale) {
    const int count = static_cast<int>(period.dayCount());
    return translate("UsageTexts", "Du %1 au %2 (%n jour(s))", nullptr, count)
        .arg(longDate(dateOf(period.first), locale), longDate(dateOf(period.last), locale));
}

std::vector<Figure> periodFigures(const usage::PeriodStatistics& statistics,
                                  const QLocale& locale) {
    const auto days = statistics.dayCount;
    const auto share = [&](std::int64_t count) {
        return translate("UsageTexts", "%1 sur %2 (%3 %)")
            .arg(count)
            .arg(days)
            .arg(days > 0
                     ? std::llround(100.0 * static_cast<double>(count) / static_cast<double>(days))
                     : 0);
    };
    const QString none = translate("UsageTexts", "—");
    std::vector<Figure> figures{
        {translate("UsageTexts", "Jours d’au moins 4 h"), share(statistics.compliantDays)},
        {translate("UsageTexts", "Jours avec utilisation"), share(statistics.daysWithUse)},
        {translate("UsageTexts", "Utilisation moyenne, jours utilisés"),
         statistics.averageHoursOnDaysUsed ? hours(*statistics.averageHoursOnDaysUsed) : none},
        {translate("UsageTexts", "Utilisation moyenne, tous les jours"),
         hours(statistics.averageHoursOnAllDays)},
    };
    if (statistics.indices) {
        const usage::EventIndices& index = *statistics.indices;
        figures.push_back({translate("UsageTexts", "IAH (apnées et hypopnées par heure)"),
                           perHour(index.apnoeaHypopnoea, locale)});
        figures.push_back(
            {translate("UsageTexts", "Apnées obstructives"), perHour(index.obstructive, locale)});
        figures.push_back(
            {translate("UsageTexts", "Apnées centrales"), perHour(index.central, locale)});
        figures.push_back({translate("UsageTexts", "Hypopnées"), perHour(index.hypopnoea, locale)});
        figures.push_back(
            {translate("UsageTexts", "Apnées non classées"), perHour(index.unclassified, locale)});
        figures.push_back({translate("UsageTexts", "Éveils liés à l’effort respiratoire (RERA)"),
                           perHour(index.rera, locale)});
    } else {
        figures.push_back({translate("UsageTexts", "IAH (apnées et hypopnées par heure)"), none});
    }
    const auto spread = [&](const std::optional<usage::Spread>& value, auto format) {
        return value ? translate("UsageTexts", "médiane %1, 95e centile %2")
                           .arg(format(value->median, locale), format(value->percentile95, locale))
                     : none;
    };
    figures.push_back({translate("UsageTexts", "Pression moyenne des nuits"),
                       spread(statistics.pressureAverage, pressure)});
    figures.push_back({translate("UsageTexts", "Pression, 95e centile des nuits"),
                       spread(statistics.pressure95th, pressure)});
    figures.push_back(
        {translate("UsageTexts", "Fuite moyenne des nuits"), spread(statistics.leakAverage, leak)});
    figures.push_back({translate("UsageTexts", "Fuite, 95e centile des nuits"),
                       spread(statistics.leak95th, leak)});
    const auto span = [&](const usage::DayRun& run) {
        return translate("UsageTexts", "du %1 au %2")
            .arg(longDate(dateOf(run.first), locale),
                 longDate(dateOf(run.first + std::chrono::days{run.dayCount - 1}), locale));
    };
    const int longest = statistics.longestCompliantRun
                            ? static_cast<int>(statistics.longestCompliantRun->dayCount)
                            : 0;
    figures.push_back(
        {translate("UsageTexts", "Plus longue série de jours d’au moins 4 h"),
         statistics.longestCompliantRun
             ? translate("UsageTexts", "%n jour(s), du %1 au %2", nullptr, longest)
                   .arg(longDate(dateOf(statistics.longestCompliantRun->first), locale),
                        longDate(dateOf(statistics.longestCompliantRun->first +
                                        std::chrono::days{longest - 1}),
                                 locale))
             : none});
    QString rule;
    if (statistics.adherenceWindow) {
        rule = translate("UsageTexts", "atteint, %1").arg(span(*statistics.adherenceWindow));
    } else if (statistics.bestWindow) {
        rule = translate("UsageTexts", "non atteint (au mieux %1 jours sur 30)")
                   .arg(statistics.bestWindowCompliantDays);
    } else {
        rule = translate("UsageTexts", "période de moins de 30 jours");
    }
    figures.push_back(
        {translate("UsageTexts", "21 jours d’au moins 4 h sur 30 consécutifs"), rule});
    return figures;
}

QString nightTitle(QDate date, const QLocale& locale) {
    return translate("UsageTexts", "Nuit du %1")
        .arg(locale.toString(date, translate("UsageTexts", "dddd d MMMM yyyy")));
}

QString clockTime(Date instant, const QLocale& locale) {
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(
        static_cast<qint64>(std::llround(instant.secondsSince1970 * 1000.0)));
    return locale.toString(time.time(), QLocale::ShortFormat);
}

std::vector<Figure> nightFigures(const NightSummary& night, const QLocale& locale) {
    std::vector<Figure> figures{
        {translate("UsageTexts", "Utilisation"), hours(night.totalHours)},
        {translate("UsageTexts", "Masque porté"), hours(night.maskOnHours)},
        {translate("UsageTexts", "IAH (apnées et hypopnées par heure)"),
         perHour(night.ahi, locale)},
        {translate("UsageTexts", "IDR (avec les RERA)"), perHour(night.rdi, locale)},
        {translate("UsageTexts", "Apnées obstructives"), QString::number(night.obstructiveCount)},
        {translate("UsageTexts", "Apnées centrales"), QString::number(night.centralCount)},
        {translate("UsageTexts", "Hypopnées"), QString::number(night.hypopneaCount)},
        {translate("UsageTexts", "Apnées non classées"), QString::number(night.unclassifiedCount)},
        {translate("UsageTexts", "Éveils liés à l’effort respiratoire (RERA)"),
         QString::number(night.reraCount)},
    };
    const auto optional = [&](const QString& label, const std::optional<double>& value,
                              auto format) {
        if (value && std::isfinite(*value)) {
            figures.push_back({label, format(*value, locale)});
        }
    };
    optional(translate("UsageTexts", "Pression moyenne"), night.pressureAverage, pressure);
    optional(translate("UsageTexts", "Pression minimale"), night.pressureMinimum, pressure);
    optional(translate("UsageTexts", "Pression, 95e centile"), night.pressure95th, pressure);
    optional(translate("UsageTexts", "Pression maximale"), night.pressureMaximum, pressure);
    optional(translate("UsageTexts", "Fuite moyenne"), night.leakAverage, leak);
    optional(translate("UsageTexts", "Fuite, 95e centile"), night.leak95th, leak);
    optional(translate("UsageTexts", "Fuite maximale"), night.leakMaximum, leak);
    QStringList sessions;
    for (const PAPSession& session : night.sessions) {
        sessions.append(translate("UsageTexts", "%1–%2")
                            .arg(clockTime(session.start, locale), clockTime(session.end, locale)));
    }
    figures.push_back(
        {translate("UsageTexts", "Sessions"),
         sessions.isEmpty() ? translate("UsageTexts", "—") : sessions.join(QStringLiteral(", "))});
    return figures;
}

} // namespace velunora::usagetext
