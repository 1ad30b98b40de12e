#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace velunora {

// Where the panel opens: next to the tray icon when the tray says where it is, else by the
// pointer at the nearest screen edge (the click that opened it was on the panel bar), else at the
// top-right corner. Always inside the screen's available area.
QPoint panelPosition(const QSize& panel, const QRect& availableArea,
                     const std::optional<QRect>& trayIcon, const std::optional<QPoint>& pointer);

} // namespace velunora
