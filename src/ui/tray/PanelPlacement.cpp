#include "ui/tray/PanelPlacement.h"

#include <algorithm>

namespace velunora {
namespace {

// Keeps the panel off the very edge, as menus do.
constexpr int screenMargin = 6;
constexpr int gapToAnchor = 4;

QPoint clampedInto(QPoint position, const QSize& panel, const QRect& area) {
    const int right =
        std::max(area.left() + screenMargin, area.right() + 1 - screenMargin - panel.width());
    const int bottom =
        std::max(area.top() + screenMargin, area.bottom() + 1 - screenMargin - panel.height());
    return {std::clamp(position.x(), area.left() + screenMargin, right),
            std::clamp(position.y(), area.top() + screenMargin, bottom)};
}

// Below an anchor near the top of the screen, above one near the bottom; centred on it.
// Anchors near the left or right edge open the panel beside them.
QPoint besideAnchor(const QRect& anchor, const QSize& panel, const QRect& area) {
    const int toTop = anchor.top() - area.top();
    const int toBottom = area.bottom() - anchor.bottom();
    const int toLeft = anchor.left() - area.left();
    const int toRight = area.right() - anchor.right();
    const int nearest = std::min({toTop, toBottom, toLeft, toRight});
    const QPoint centre = anchor.center();
    if (nearest == toTop) {
        return {centre.x() - panel.width() / 2, anchor.bottom() + 1 + gapToAnchor};
    }
    if (nearest == toBottom) {
        return {centre.x() - panel.width() / 2, anchor.top() - gapToAnchor - panel.height()};
    }
    if (nearest == toLeft) {
        return {anchor.right() + 1 + gapToAnchor, centre.y() - panel.height() / 2};
    }
    return {anchor.left() - gapToAnchor - panel.width(), centre.y() - panel.height() / 2};
}

} // namespace

QPoint panelPosition(const QSize& panel, const QRect& availableArea,
                     const std::optional<QRect>& trayIcon, const std::optional<QPoint>& pointer) {
    if (trayIcon && trayIcon->isValid() && !trayIcon->isEmpty()) {
        return clampedInto(besideAnchor(*trayIcon, panel, availableArea), panel, availableArea);
    }
    if (pointer && availableArea.adjusted(-64, -64, 64, 64).contains(*pointer)) {
        return clampedInto(besideAnchor(QRect(*pointer, QSize(1, 1)), panel, availableArea), panel,
                           availableArea);
    }
    return clampedInto({availableArea.right() + 1 - panel.width(), availableArea.top()}, panel,
                       availableArea);
}

} // namespace velunora
