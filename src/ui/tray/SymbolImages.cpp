#include "ui/tray/SymbolImages.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QSvgRenderer>

namespace velunora {
namespace {

// The drawings, read once from the resources.
QByteArray symbolSource(const QString& name) {
    static QMutex mutex;
    static QHash<QString, QByteArray> sources;
    const QMutexLocker lock(&mutex);
    const auto found = sources.constFind(name);
    if (found != sources.constEnd()) {
        return *found;
    }
    QFile file(QStringLiteral(":/velunora/icons/") + name + QStringLiteral(".svg"));
    const QByteArray source = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    sources.insert(name, source);
    return source;
}

} // namespace

QImage renderSymbol(const QString& name, const QColor& color, const QSize& size) {
    QImage image(size.isValid() ? size : QSize(24, 24), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QByteArray source = symbolSource(name);
    if (source.isEmpty()) {
        return image;
    }
    source.replace("#000000", color.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(source);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(color.alphaF());
    renderer.render(&painter);
    return image;
}

QImage renderTraySymbol(const QString& name, bool light, int side) {
    const QColor lightShade(0xf2, 0xf4, 0xf5);
    const QColor darkShade(0x1a, 0x1e, 0x22);
    const QColor glyphColor = light ? lightShade : darkShade;
    const QColor haloColor = light ? darkShade : lightShade;
    // One pixel of halo up to 24 px, two above: enough to outline the glyph, not to swallow it.
    const int halo = side > 24 ? 2 : 1;
    const QSize glyphSize(side - 2 * halo, side - 2 * halo);
    const QImage glyph = renderSymbol(name, glyphColor, glyphSize);
    const QImage outline = renderSymbol(name, haloColor, glyphSize);

    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (int dy = -halo; dy <= halo; ++dy) {
        for (int dx = -halo; dx <= halo; ++dx) {
            if (dx != 0 || dy != 0) {
                painter.drawImage(halo + dx, halo + dy, outline);
            }
        }
    }
    painter.drawImage(halo, halo, glyph);
    return image;
}

QIcon traySymbolIcon(const QString& name, bool light) {
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(QPixmap::fromImage(renderTraySymbol(name, light, side)));
    }
    return icon;
}

SymbolImageProvider::SymbolImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage SymbolImageProvider::requestImage(const QString& id, QSize* size,
                                         const QSize& requestedSize) {
    const qsizetype slash = id.lastIndexOf(QLatin1Char('/'));
    const QString name = slash < 0 ? id : id.left(slash);
    QColor color(Qt::black);
    if (slash >= 0) {
        color = QColor(QLatin1Char('#') + id.mid(slash + 1));
        if (!color.isValid()) {
            color = Qt::black;
        }
    }
    const QSize target =
        requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : QSize(24, 24);
    if (size != nullptr) {
        *size = target;
    }
    return renderSymbol(name, color, target);
}

} // namespace velunora
