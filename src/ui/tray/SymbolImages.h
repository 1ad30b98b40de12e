#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QQuickImageProvider>
#include <QString>

namespace velunora {

// The symbols of the panel, the onboarding and the tray are one-colour SVG drawings painted in
// #000000; they are rendered here in whatever colour the caller asks for.
QImage renderSymbol(const QString& name, const QColor& color, const QSize& size);

// The tray's symbol at `side` pixels: light or dark as asked, inside a thin halo of the other
// shade, so that it reads on any panel even where the guess of the panel's shade is wrong.
QImage renderTraySymbol(const QString& name, bool light, int side);
// The tray's icon for a symbol, in the sizes trays ask for, drawn as above.
QIcon traySymbolIcon(const QString& name, bool light);

// "image://symbol/NAME/RRGGBB" (or AARRGGBB) for QML.
class SymbolImageProvider final : public QQuickImageProvider {
public:
    SymbolImageProvider();
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

} // namespace velunora
