#include "ChartPlot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

namespace velunora {

ChartPlot::ChartPlot(QQuickItem* parent)
    : QQuickPaintedItem(parent)
    , threshold_(std::numeric_limits<double>::quiet_NaN()) {
    setAntialiasing(true);
}

std::pair<double, double> ChartPlot::shownRange() const {
    if (!autoRange_ || points_.isEmpty()) {
        return {yMinimum_, yMaximum_};
    }
    const auto [lowest, highest] = std::minmax_element(
        points_.begin(), points_.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); });
    const double margin = std::max((highest->y() - lowest->y()) * 0.1, 0.5);
    // A quantity that is never negative is not drawn below zero.
    const double bottom = std::floor(lowest->y() - margin);
    return {lowest->y() >= 0.0 ? std::max(bottom, 0.0) : bottom, std::ceil(highest->y() + margin)};
}

double ChartPlot::shownMinimum() const {
    return shownRange().first;
}

double ChartPlot::shownMaximum() const {
    return shownRange().second;
}

void ChartPlot::paint(QPainter* painter) {
    const double w = width(), h = height();
    const auto [yMinimum, yMaximum] = shownRange();
    const double span = yMaximum - yMinimum;
    if (!(w > 0.0) || !(h > 0.0) || !(span > 0.0)) {
        return;
    }
    const auto yOf = [&](double value) {
        return h - h * (std::clamp(value, yMinimum, yMaximum) - yMinimum) / span;
    };
    painter->setRenderHint(QPainter::Antialiasing, true);
    const QPen line(color_, lineWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    if (!values_.isEmpty()) {
        const double slot = w / static_cast<double>(values_.size());
        QPainterPath path;
        bool drawing = false;
        for (qsizetype index = 0; index < values_.size(); ++index) {
            const double value = values_[index];
            const double centre = slot * (static_cast<double>(index) + 0.5);
            if (!std::isfinite(value)) {
                drawing = false;
                continue;
            }
            if (bars_) {
                const double half = std::max(slot * 0.36, 0.5);
                const bool below =
                    belowColor_.isValid() && std::isfinite(threshold_) && value < threshold_;
                painter->fillRect(QRectF(QPointF(centre - half, yOf(value)),
                                         QPointF(centre + half, yOf(yMinimum))),
                                  below ? belowColor_ : color_);
                continue;
            }
            const QPointF point(centre, yOf(value));
            if (drawing) {
                path.lineTo(point);
            } else {
                path.moveTo(point);
                // A day alone between gaps still shows.
                path.addEllipse(point, lineWidth_, lineWidth_);
                path.moveTo(point);
                drawing = true;
            }
        }
        if (!bars_) {
            painter->strokePath(path, line);
        }
    }
    if (!points_.isEmpty() && xMaximum_ > 0.0) {
        QPainterPath path;
        double previousX = -std::numeric_limits<double>::infinity();
        for (const QPointF& point : points_) {
            const QPointF mapped(w * std::clamp(point.x() / xMaximum_, 0.0, 1.0), yOf(point.y()));
            // Sessions apart by more than a few minutes are not joined across the pause.
            if (point.x() - previousX < 0.1) {
                path.lineTo(mapped);
            } else {
                path.moveTo(mapped);
            }
            previousX = point.x();
        }
        painter->strokePath(path, line);
    }
    if (std::isfinite(threshold_) && threshold_ >= yMinimum && threshold_ <= yMaximum) {
        // Dashed, so that it reads as a mark and not as data.
        QPen dashed(thresholdColor_, 1.0, Qt::CustomDashLine);
        dashed.setDashPattern({3.0, 3.0});
        painter->setPen(dashed);
        painter->drawLine(QPointF(0.0, yOf(threshold_)), QPointF(w, yOf(threshold_)));
    }
    if (xMaximum_ > 0.0 && !marks_.isEmpty()) {
        painter->setPen(QPen(markColor_, 1.0));
        for (const double mark : marks_) {
            if (std::isfinite(mark)) {
                const double x = w * std::clamp(mark / xMaximum_, 0.0, 1.0);
                painter->drawLine(QPointF(x, h * 0.75), QPointF(x, h));
            }
        }
    }
}

} // namespace velunora
