#pragma once

#include "nights/UsageStatistics.h"
#include "records/Snapshot.h"
#include "sync/history/FigureList.h"
#include "sync/history/NightList.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QString>
#include <memory>

namespace velunora {

class LocalExport;

// The published nights as the panel and the history window show them: read from what was
// published (the local export at start, then each sync's merge), never from the card, so that
// they are there before a card is inserted. Lives on the main thread.
class NightsHistory : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasNights READ hasNights NOTIFY historyChanged)

    // The newest night, for the panel.
    Q_PROPERTY(QString lastNightDate READ lastNightDate NOTIFY historyChanged)
    Q_PROPERTY(QString lastNightHours READ lastNightHours NOTIFY historyChanged)
    Q_PROPERTY(double lastNightHoursValue READ lastNightHoursValue NOTIFY historyChanged)
    Q_PROPERTY(bool lastNightCompliant READ lastNightCompliant NOTIFY historyChanged)
    Q_PROPERTY(QString lastNightAHI READ lastNightAHI NOTIFY historyChanged)
    // Empty when the night has no leak figure.
    Q_PROPERTY(QString lastNightLeak READ lastNightLeak NOTIFY historyChanged)
    // Hours of use of the 30 days that end with the newest night, oldest first.
    Q_PROPERTY(QList<double> recentHours READ recentHours NOTIFY historyChanged)
    Q_PROPERTY(QString recentSummary READ recentSummary NOTIFY historyChanged)

    // The history window: the days shown (30, 90, 365; 0 for every day since the first night),
    // ending with the newest night.
    Q_PROPERTY(int periodDays READ periodDays WRITE setPeriodDays NOTIFY periodChanged)
    Q_PROPERTY(QString periodText READ periodText NOTIFY periodChanged)
    // Its first and last days, under the charts.
    Q_PROPERTY(QString periodStart READ periodStart NOTIFY periodChanged)
    Q_PROPERTY(QString periodEnd READ periodEnd NOTIFY periodChanged)
    Q_PROPERTY(QList<double> dayHours READ dayHours NOTIFY periodChanged)
    // The AHI of each day, NaN on a day without use.
    Q_PROPERTY(QList<double> dayAHI READ dayAHI NOTIFY periodChanged)
    Q_PROPERTY(double ahiMaximum READ ahiMaximum NOTIFY periodChanged)
    Q_PROPERTY(double hoursMaximum READ hoursMaximum NOTIFY periodChanged)
    Q_PROPERTY(velunora::FigureList* periodFigures READ periodFigures CONSTANT)
    Q_PROPERTY(velunora::NightList* nights READ nights CONSTANT)

    // The night chosen in the window (its position in the history, -1 for none).
    Q_PROPERTY(int selectedNight READ selectedNight WRITE selectNight NOTIFY selectionChanged)
    Q_PROPERTY(QString selectedTitle READ selectedTitle NOTIFY selectionChanged)
    Q_PROPERTY(velunora::FigureList* selectedFigures READ selectedFigures CONSTANT)
    // The night's reduced series, in hours from the start of its first session; empty for a
    // night that carries none.
    Q_PROPERTY(bool selectedHasSeries READ selectedHasSeries NOTIFY selectionChanged)
    Q_PROPERTY(double selectedSpanHours READ selectedSpanHours NOTIFY selectionChanged)
    Q_PROPERTY(QList<QPointF> pressurePoints READ pressurePoints NOTIFY selectionChanged)
    Q_PROPERTY(QList<QPointF> leakPoints READ leakPoints NOTIFY selectionChanged)
    Q_PROPERTY(QList<QPointF> flowPoints READ flowPoints NOTIFY selectionChanged)
    // The scored events (apnoeas, hypopnoeas), in hours from the same start.
    Q_PROPERTY(QList<double> eventTimes READ eventTimes NOTIFY selectionChanged)

public:
    static constexpr int recentDayCount = 30;

    explicit NightsHistory(QObject* parent = nullptr);
    ~NightsHistory() override;

    // What is published now; nothing after a reset.
    void setSnapshot(std::shared_ptr<const OscarSnapshot> snapshot);
    const std::shared_ptr<const OscarSnapshot>& snapshot() const noexcept { return snapshot_; }
    // Reads the local export off the main thread and shows it, unless a sync was quicker.
    void loadPublished(const LocalExport& localExport);

    bool hasNights() const noexcept { return snapshot_ && !snapshot_->nights.empty(); }
    QString lastNightDate() const { return lastNightDate_; }
    QString lastNightHours() const { return lastNightHours_; }
    double lastNightHoursValue() const noexcept { return lastNightHoursValue_; }
    bool lastNightCompliant() const noexcept {
        return lastNightHoursValue_ >= usage::compliantHours;
    }
    QString lastNightAHI() const { return lastNightAHI_; }
    QString lastNightLeak() const { return lastNightLeak_; }
    QList<double> recentHours() const { return recentHours_; }
    QString recentSummary() const { return recentSummary_; }

    int periodDays() const noexcept { return periodDays_; }
    void setPeriodDays(int days);
    // The days of the window's period; nothing without nights.
    std::optional<usage::Period> period() const;
    QString periodText() const { return periodText_; }
    QString periodStart() const { return periodStart_; }
    QString periodEnd() const { return periodEnd_; }
    QList<double> dayHours() const { return dayHours_; }
    QList<double> dayAHI() const { return dayAHI_; }
    double ahiMaximum() const noexcept { return ahiMaximum_; }
    double hoursMaximum() const noexcept { return hoursMaximum_; }
    FigureList* periodFigures() noexcept { return &periodFigures_; }
    NightList* nights() noexcept { return &nights_; }

    int selectedNight() const noexcept { return selectedNight_; }
    void selectNight(int night);
    QString selectedTitle() const { return selectedTitle_; }
    FigureList* selectedFigures() noexcept { return &selectedFigures_; }
    bool selectedHasSeries() const noexcept {
        return !pressurePoints_.isEmpty() || !leakPoints_.isEmpty() || !flowPoints_.isEmpty();
    }
    double selectedSpanHours() const noexcept { return selectedSpanHours_; }
    QList<QPointF> pressurePoints() const { return pressurePoints_; }
    QList<QPointF> leakPoints() const { return leakPoints_; }
    QList<QPointF> flowPoints() const { return flowPoints_; }
    QList<double> eventTimes() const { return eventTimes_; }

Q_SIGNALS:
    void historyChanged();
    void periodChanged();
    void selectionChanged();

private:
    void updateLastNight();
    void updatePeriod();
    void updateSelection();

    std::shared_ptr<const OscarSnapshot> snapshot_;
    bool loadedOnce_ = false;

    QString lastNightDate_, lastNightHours_, lastNightAHI_, lastNightLeak_, recentSummary_;
    double lastNightHoursValue_ = 0.0;
    QList<double> recentHours_;

    int periodDays_ = recentDayCount;
    QString periodText_, periodStart_, periodEnd_;
    QList<double> dayHours_, dayAHI_;
    double ahiMaximum_ = 10.0, hoursMaximum_ = 10.0;
    FigureList periodFigures_;
    NightList nights_;

    int selectedNight_ = -1;
    QString selectedTitle_;
    FigureList selectedFigures_;
    double selectedSpanHours_ = 0.0;
    QList<QPointF> pressurePoints_, leakPoints_, flowPoints_;
    QList<double> eventTimes_;
};

} // namespace velunora
