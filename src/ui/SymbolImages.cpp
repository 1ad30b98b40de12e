#include "ui/SymbolImages.h"

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

QIcon symbolIcon(const QString& name, const QColor& color) {
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(QPixmap::fromImage(renderSymbol(name, color, QSize(side, side))));
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
