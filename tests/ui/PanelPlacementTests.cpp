#include "sync/Status.h"
#include "ui/app/VelunoraSyncApp.h"
#include "ui/tray/PanelPlacement.h"
#include "ui/tray/SymbolImages.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace velunora {
namespace {

const QSize panel(360, 520);
// A 1920 x 1080 screen with a 32-point bar at the top.
const QRect screen(0, 32, 1920, 1048);

bool inside(const QPoint& position) {
    return screen.contains(QRect(position, panel));
}

TEST(PanelPlacement, OpensBelowATopTrayIconCentredOnIt) {
    const QPoint position = panelPosition(panel, screen, QRect(1700, 4, 24, 24), std::nullopt);
    EXPECT_NEAR(position.x(), 1712 - 180, 1);
    EXPECT_GE(position.y(), 32);
    EXPECT_TRUE(inside(position));
}

TEST(PanelPlacement, StaysOnScreenNearCornersAndBottomBars) {
    // An icon in the far corner of a top bar: the panel is pushed left, not off screen.
    EXPECT_TRUE(inside(panelPosition(panel, screen, QRect(1900, 4, 20, 20), std::nullopt)));
    // A bottom panel: the panel opens above the icon.
    const QRect bottomArea(0, 0, 1920, 1040);
    const QPoint above = panelPosition(panel, bottomArea, QRect(1800, 1050, 24, 24), std::nullopt);
    EXPECT_LE(above.y() + panel.height(), 1040);
    EXPECT_TRUE(bottomArea.contains(QRect(above, panel)));
    // A left-hand dock: beside it.
    const QRect rightOfDock(48, 0, 1872, 1080);
    const QPoint beside = panelPosition(panel, rightOfDock, QRect(10, 600, 28, 28), std::nullopt);
    EXPECT_GE(beside.x(), 48);
    EXPECT_TRUE(rightOfDock.contains(QRect(beside, panel)));
}

TEST(PanelPlacement, FollowsThePointerWithoutIconGeometryElseTopRight) {
    // The click was on the top bar, outside the available area.
    const QPoint byPointer = panelPosition(panel, screen, std::nullopt, QPoint(1000, 12));
    EXPECT_NEAR(byPointer.x(), 1000 - 180, 1);
    EXPECT_TRUE(inside(byPointer));

    const QPoint corner = panelPosition(panel, screen, std::nullopt, std::nullopt);
    EXPECT_TRUE(inside(corner));
    EXPECT_GT(corner.x(), 1920 - panel.width() - 20);
    EXPECT_LT(corner.y(), 60);
    // A pointer on another screen says nothing about this one.
    EXPECT_EQ(panelPosition(panel, screen, std::nullopt, QPoint(5000, 12)), corner);
    // An empty icon rectangle (what StatusNotifier trays report) is no geometry.
    EXPECT_EQ(panelPosition(panel, screen, QRect(), std::nullopt), corner);
}

TEST(TraySymbols, LightOnDarkBarsDarkOnLightPanels) {
    EXPECT_TRUE(trayWantsLightSymbols(QStringLiteral("ubuntu:GNOME"), QString(), 240));
    EXPECT_FALSE(trayWantsLightSymbols(QStringLiteral("KDE"), QString(), 240));
    EXPECT_TRUE(trayWantsLightSymbols(QStringLiteral("KDE"), QString(), 40));
    EXPECT_FALSE(trayWantsLightSymbols(QStringLiteral("GNOME"), QStringLiteral("dark"), 40));
    EXPECT_TRUE(trayWantsLightSymbols(QStringLiteral("XFCE"), QStringLiteral("light"), 240));
}

// WCAG contrast ratio of two opaque colours.
double contrast(QColor a, QColor b) {
    const auto luminance = [](QColor colour) {
        const auto channel = [](double value) {
            return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
               0.0722 * channel(colour.blueF());
    };
    const double first = luminance(a) + 0.05;
    const double second = luminance(b) + 0.05;
    return std::max(first, second) / std::min(first, second);
}

// The share of the symbol's pixels that stand out from the panel by at least 3:1 (what a
// graphic needs), composited over it as the tray does.
double readableShare(const QImage& symbol, QColor background) {
    QImage composed(symbol.size(), QImage::Format_ARGB32_Premultiplied);
    composed.fill(background);
    QPainter(&composed).drawImage(0, 0, symbol);
    int footprint = 0;
    int readable = 0;
    for (int y = 0; y < symbol.height(); ++y) {
        for (int x = 0; x < symbol.width(); ++x) {
            if (qAlpha(symbol.pixel(x, y)) < 128) {
                continue;
            }
            ++footprint;
            readable += contrast(composed.pixelColor(x, y), background) >= 3.0 ? 1 : 0;
        }
    }
    return footprint == 0 ? 0.0 : static_cast<double>(readable) / footprint;
}

// Whichever shade the guess of the panel picks, every status symbol reads on a dark panel
// (Xfce's #353535) and on a light one: the old dark symbol on a dark panel reached 1.2:1.
TEST(TraySymbols, ReadableOnDarkAndLightPanelsWhateverTheGuess) {
    const QColor darkPanel(0x35, 0x35, 0x35);
    const QColor lightPanel(0xf0, 0xf0, 0xf0);
    for (const Status& status : {Status::needsFolder(), Status::syncing(), Status::failed({})}) {
        for (const bool light : {true, false}) {
            for (const int side : {16, 22, 32}) {
                const QImage symbol = renderTraySymbol(status.symbolName(), light, side);
                for (const QColor& background : {darkPanel, lightPanel}) {
                    EXPECT_GE(readableShare(symbol, background), 0.25)
                        << status.symbolName().toStdString() << (light ? " light" : " dark")
                        << " at " << side << " px on " << background.name().toStdString();
                }
            }
        }
    }
}

} // namespace
} // namespace velunora
