#pragma once

#include <QColor>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>
#include <cmath>
#include <optional>
#include <type_traits>
#include <utility>

namespace velunora {

// The drawing of one chart: bars or a line over a horizontal range, a threshold line and marks.
// One painted item whatever the number of points, drawn alike by every scene-graph backend
// (the software one included, where custom geometry is not drawn). Axes and labels are the
// view's.
class ChartPlot : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    // Equally spaced values (one a day), drawn over the whole width; NaN leaves a gap.
    Q_PROPERTY(QList<double> values READ values WRITE setValues NOTIFY changed)
    // Or points over [0, xMaximum], for a night's series.
    Q_PROPERTY(QList<QPointF> points READ points WRITE setPoints NOTIFY changed)
    Q_PROPERTY(double xMaximum READ xMaximum WRITE setXMaximum NOTIFY changed)
    Q_PROPERTY(double yMinimum READ yMinimum WRITE setYMinimum NOTIFY changed)
    Q_PROPERTY(double yMaximum READ yMaximum WRITE setYMaximum NOTIFY changed)
    Q_PROPERTY(bool bars READ bars WRITE setBars NOTIFY changed)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY changed)
    // Bars under the threshold take this colour (a night of less than four hours).
    Q_PROPERTY(QColor belowColor READ belowColor WRITE setBelowColor NOTIFY changed)
    // NaN: none.
    Q_PROPERTY(double threshold READ threshold WRITE setThreshold NOTIFY changed)
    Q_PROPERTY(QColor thresholdColor READ thresholdColor WRITE setThresholdColor NOTIFY changed)
    // Short vertical marks at these x positions (a night's scored events).
    Q_PROPERTY(QList<double> marks READ marks WRITE setMarks NOTIFY changed)
    Q_PROPERTY(QColor markColor READ markColor WRITE setMarkColor NOTIFY changed)
    Q_PROPERTY(double lineWidth READ lineWidth WRITE setLineWidth NOTIFY changed)
    // The vertical range is that of the points (a little wider), not yMinimum to yMaximum.
    Q_PROPERTY(bool autoRange READ autoRange WRITE setAutoRange NOTIFY changed)
    // The vertical range drawn, for the view's scale.
    Q_PROPERTY(double shownMinimum READ shownMinimum NOTIFY changed)
    Q_PROPERTY(double shownMaximum READ shownMaximum NOTIFY changed)

public:
    explicit ChartPlot(QQuickItem* parent = nullptr);
    void paint(QPainter* painter) override;

    QList<double> values() const { return values_; }
    void setValues(const QList<double>& values) { assign(values_, values); }
    QList<QPointF> points() const { return points_; }
    void setPoints(const QList<QPointF>& points) { assign(points_, points); }
    double xMaximum() const noexcept { return xMaximum_; }
    void setXMaximum(double value) { assign(xMaximum_, value); }
    double yMinimum() const noexcept { return yMinimum_; }
    void setYMinimum(double value) { assign(yMinimum_, value); }
    double yMaximum() const noexcept { return yMaximum_; }
    void setYMaximum(double value) { assign(yMaximum_, value); }
    bool bars() const noexcept { return bars_; }
    void setBars(bool value) { assign(bars_, value); }
    QColor color() const { return color_; }
    void setColor(const QColor& value) { assign(color_, value); }
    QColor belowColor() const { return belowColor_; }
    void setBelowColor(const QColor& value) { assign(belowColor_, value); }
    double threshold() const noexcept { return threshold_; }
    void setThreshold(double value) { assign(threshold_, value); }
    QColor thresholdColor() const { return thresholdColor_; }
    void setThresholdColor(const QColor& value) { assign(thresholdColor_, value); }
    QList<double> marks() const { return marks_; }
    void setMarks(const QList<double>& value) { assign(marks_, value); }
    QColor markColor() const { return markColor_; }
    void setMarkColor(const QColor& value) { assign(markColor_, value); }
    bool autoRange() const noexcept { return autoRange_; }
    void setAutoRange(bool value) { assign(autoRange_, value); }
    // The vertical range drawn: yMinimum to yMaximum, or the points' own with autoRange.
    std::pair<double, double> shownRange() const;
    double shownMinimum() const;
    double shownMaximum() const;
    double lineWidth() const noexcept { return lineWidth_; }
    void setLineWidth(double value) { assign(lineWidth_, value); }

Q_SIGNALS:
    void changed();

private:
    template <typename T> void assign(T& field, const T& value) {
        if constexpr (std::is_same_v<T, double>) {
            if (field == value || (std::isnan(field) && std::isnan(value))) {
                return;
            }
        } else if (field == value) {
            return;
        }
        field = value;
        Q_EMIT changed();
        update();
    }

    QList<double> values_;
    QList<QPointF> points_;
    double xMaximum_ = 1.0;
    double yMinimum_ = 0.0;
    double yMaximum_ = 1.0;
    bool bars_ = false;
    QColor color_ = Qt::black;
    QColor belowColor_;
    double threshold_;
    QColor thresholdColor_ = Qt::gray;
    QList<double> marks_;
    QColor markColor_ = Qt::red;
    double lineWidth_ = 1.5;
    bool autoRange_ = false;
};

} // namespace velunora
