#include "sync/history/NightsHistory.h"

#include "sync/history/UsageTexts.h"
#include "sync/publication/LocalExport.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QtConcurrent>
#include <algorithm>
#include <cmath>
#include <limits>

namespace velunora {

namespace {

// The channels the window draws, first found wins.
const ChannelSeries* firstSeries(const NightSummary& night,
                                 std::initializer_list<ChannelCode> codes) {
    for (const ChannelCode code : codes) {
        for (const ChannelSeries& series : night.channels) {
            if (series.code == code && !series.points.empty()) {
                return &series;
            }
        }
    }
    return nullptr;
}

// Every series of the channel over the night's sessions, in hours from `origin`.
QList<QPointF> pointsOf(const NightSummary& night, ChannelCode code, double origin) {
    QList<QPointF> points;
    for (const ChannelSeries& series : night.channels) {
        if (series.code != code) {
            continue;
        }
        points.reserve(points.size() + static_cast<qsizetype>(series.points.size()));
        for (const ChannelPoint& point : series.points) {
            if (std::isfinite(point.value) && std::isfinite(point.time.secondsSince1970)) {
                points.append({(point.time.secondsSince1970 - origin) / 3600.0, point.value});
            }
        }
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    return points;
}

// A round ceiling for an axis: at least `floor`, then in steps of `step`.
double axisMaximum(double largest, double floor, double step) {
    if (!std::isfinite(largest) || largest <= floor) {
        return floor;
    }
    return std::ceil(largest / step) * step;
}

} // namespace

NightsHistory::NightsHistory(QObject* parent)
    : QObject(parent) {
    periodFigures_.setParent(this);
    nights_.setParent(this);
    selectedFigures_.setParent(this);
}

NightsHistory::~NightsHistory() = default;

void NightsHistory::setSnapshot(std::shared_ptr<const OscarSnapshot> snapshot) {
    loadedOnce_ = true;
    const int previousCount = snapshot_ ? static_cast<int>(snapshot_->nights.size()) : 0;
    snapshot_ = std::move(snapshot);
    updateLastNight();
    updatePeriod();
    // A new night shifts every position: the newest night is chosen again.
    const int count = snapshot_ ? static_cast<int>(snapshot_->nights.size()) : 0;
    if (selectedNight_ >= count || count != previousCount) {
        selectedNight_ = count > 0 ? count - 1 : -1;
    }
    updateSelection();
    Q_EMIT historyChanged();
}

void NightsHistory::loadPublished(const LocalExport& localExport) {
    auto* watcher = new QFutureWatcher<std::shared_ptr<const OscarSnapshot>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        // A sync or a reset that ended first knows better.
        if (!loadedOnce_) {
            setSnapshot(watcher->result());
        }
    });
    watcher->setFuture(QtConcurrent::run([localExport]() -> std::shared_ptr<const OscarSnapshot> {
        std::optional<OscarSnapshot> published = localExport.loadPreviousSnapshot();
        if (!published) {
            return nullptr;
        }
        return std::make_shared<const OscarSnapshot>(std::move(*published));
    }));
}

void NightsHistory::updateLastNight() {
    const std::span<const NightSummary> all = snapshot_
                                                  ? std::span<const NightSummary>(snapshot_->nights)
                                                  : std::span<const NightSummary>();
    const NightSummary* newest = usage::newestNight(all);
    if (!newest) {
        lastNightDate_ = lastNightHours_ = lastNightAHI_ = lastNightLeak_ = recentSummary_ =
            QString();
        lastNightHoursValue_ = 0.0;
        recentHours_.clear();
        return;
    }
    const usage::Day day = *usage::dayOfNight(newest->date);
    lastNightDate_ = usagetext::nightTitle(usagetext::dateOf(day));
    lastNightHoursValue_ = newest->maskOnHours;
    lastNightHours_ = usagetext::hours(newest->maskOnHours);
    lastNightAHI_ = usagetext::perHour(newest->ahi);
    lastNightLeak_ = newest->leak95th ? usagetext::leak(*newest->leak95th) : QString();
    const usage::Period recent = usage::periodEndingOn(day, recentDayCount);
    const std::vector<usage::DayOfUse> days = usage::daysOfUse(all, recent);
    recentHours_.clear();
    recentHours_.reserve(static_cast<qsizetype>(days.size()));
    std::int64_t compliant = 0;
    for (const usage::DayOfUse& entry : days) {
        recentHours_.append(entry.hours);
        compliant += entry.isCompliant() ? 1 : 0;
    }
    recentSummary_ = usagetext::compliantNights(compliant, recentDayCount);
}

std::optional<usage::Period> NightsHistory::period() const {
    if (!snapshot_) {
        return std::nullopt;
    }
    const std::optional<usage::Period> whole = usage::wholeHistory(snapshot_->nights);
    if (!whole) {
        return std::nullopt;
    }
    return periodDays_ > 0 ? usage::periodEndingOn(whole->last, periodDays_) : *whole;
}

void NightsHistory::setPeriodDays(int days) {
    days = std::max(days, 0);
    if (days == periodDays_) {
        return;
    }
    periodDays_ = days;
    updatePeriod();
}

void NightsHistory::updatePeriod() {
    dayHours_.clear();
    dayAHI_.clear();
    std::vector<NightList::Row> rows;
    const std::optional<usage::Period> shown = period();
    if (!shown) {
        periodText_.clear();
        periodStart_.clear();
        periodEnd_.clear();
        periodFigures_.setFigures({});
        nights_.setRows({});
        Q_EMIT periodChanged();
        return;
    }
    const std::span<const NightSummary> all(snapshot_->nights);
    const std::vector<usage::DayOfUse> days = usage::daysOfUse(all, *shown);
    dayHours_.reserve(static_cast<qsizetype>(days.size()));
    dayAHI_.reserve(static_cast<qsizetype>(days.size()));
    double largestHours = 0.0, largestAHI = 0.0;
    for (const usage::DayOfUse& day : days) {
        dayHours_.append(day.hours);
        largestHours = std::max(largestHours, day.hours);
        double events = 0.0;
        for (const NightSummary* night : day.nights) {
            events += night->ahi * night->maskOnHours;
        }
        const double ahi =
            day.hours > 0.0 ? events / day.hours : std::numeric_limits<double>::quiet_NaN();
        dayAHI_.append(ahi);
        if (std::isfinite(ahi)) {
            largestAHI = std::max(largestAHI, ahi);
        }
    }
    hoursMaximum_ = axisMaximum(largestHours, 10.0, 2.0);
    ahiMaximum_ = axisMaximum(largestAHI, 10.0, 5.0);
    const usage::PeriodStatistics statistics = usage::summarize(days, *shown);
    periodText_ = usagetext::period(statistics.period);
    periodStart_ = usagetext::shortNightDate(usagetext::dateOf(statistics.period.first));
    periodEnd_ = usagetext::shortNightDate(usagetext::dateOf(statistics.period.last));
    periodFigures_.setFigures(usagetext::periodFigures(statistics));
    for (auto day = days.rbegin(); day != days.rend(); ++day) {
        for (const NightSummary* night : day->nights) {
            rows.push_back({usagetext::shortNightDate(usagetext::dateOf(day->day)),
                            usagetext::hours(night->maskOnHours), usagetext::perHour(night->ahi),
                            night->maskOnHours >= usage::compliantHours,
                            static_cast<int>(night - snapshot_->nights.data())});
        }
    }
    nights_.setRows(std::move(rows));
    Q_EMIT periodChanged();
}

void NightsHistory::selectNight(int night) {
    const int count = snapshot_ ? static_cast<int>(snapshot_->nights.size()) : 0;
    if (night < -1 || night >= count || night == selectedNight_) {
        return;
    }
    selectedNight_ = night;
    updateSelection();
}

void NightsHistory::updateSelection() {
    pressurePoints_.clear();
    leakPoints_.clear();
    flowPoints_.clear();
    eventTimes_.clear();
    selectedSpanHours_ = 0.0;
    if (selectedNight_ < 0 || !snapshot_) {
        selectedTitle_.clear();
        selectedFigures_.setFigures({});
        Q_EMIT selectionChanged();
        return;
    }
    const NightSummary& night = snapshot_->nights[static_cast<std::size_t>(selectedNight_)];
    const std::optional<usage::Day> day = usage::dayOfNight(night.date);
    selectedTitle_ = day ? usagetext::nightTitle(usagetext::dateOf(*day)) : QString();
    selectedFigures_.setFigures(usagetext::nightFigures(night));
    if (!night.sessions.empty()) {
        const double origin = night.sessions.front().start.secondsSince1970;
        const double end =
            std::max_element(night.sessions.begin(), night.sessions.end(),
                             [](const PAPSession& a, const PAPSession& b) { return a.end < b.end; })
                ->end.secondsSince1970;
        selectedSpanHours_ = std::max((end - origin) / 3600.0, 0.0);
        const ChannelCode pressureCode = firstSeries(night, {ChannelCode::pressure})
                                             ? ChannelCode::pressure
                                             : ChannelCode::maskPressure;
        pressurePoints_ = pointsOf(night, pressureCode, origin);
        leakPoints_ = pointsOf(night, ChannelCode::leak, origin);
        flowPoints_ = pointsOf(night, ChannelCode::flowRate, origin);
        for (const RespiratoryEvent& event : night.events) {
            if (event.type != EventKind::largeLeak && event.type != EventKind::other) {
                eventTimes_.append((event.start.secondsSince1970 - origin) / 3600.0);
            }
        }
    }
    Q_EMIT selectionChanged();
}

} // namespace velunora
