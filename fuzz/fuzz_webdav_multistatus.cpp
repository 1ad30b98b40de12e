// Any body a WebDAV server sends to a PROPFIND reads as its properties or as nothing. The
// properties read, sent back in a Multi-Status body as a server writes one, read back the same:
// nothing the reader accepts is lost or changed between the server and us.
#include "sync/cloud/webdav/WebDAVMultistatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <QXmlStreamWriter>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace velunora;

// A carriage return goes as a character reference: an XML reader takes a raw one for a line
// feed, and QXmlStreamWriter writes it raw.
void writeTextElement(QXmlStreamWriter& xml, const QString& namespaceUri, const QString& name,
                      const QString& text) {
    xml.writeStartElement(namespaceUri, name);
    const QStringList lines = text.split(u'\r');
    for (qsizetype index = 0; index < lines.size(); ++index) {
        if (index > 0) {
            xml.writeEntityReference(QStringLiteral("#13"));
        }
        xml.writeCharacters(lines[index]);
    }
    xml.writeEndElement();
}

QByteArray multistatusOf(const webdav::Properties& properties) {
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(webdav::davNamespace, QStringLiteral("D"));
    xml.writeNamespace(webdav::ownNamespace, QStringLiteral("ns1"));
    xml.writeNamespace(webdav::fieldNamespace, QStringLiteral("ns2"));
    xml.writeStartElement(webdav::davNamespace, QStringLiteral("multistatus"));
    xml.writeStartElement(webdav::davNamespace, QStringLiteral("response"));
    writeTextElement(xml, webdav::davNamespace, QStringLiteral("href"),
                     QStringLiteral("/dav/velunora/snapshot"));
    xml.writeStartElement(webdav::davNamespace, QStringLiteral("propstat"));
    xml.writeStartElement(webdav::davNamespace, QStringLiteral("prop"));
    writeTextElement(xml, webdav::davNamespace, QStringLiteral("getetag"), properties.etag);
    writeTextElement(xml, webdav::ownNamespace, QStringLiteral("recordType"),
                     properties.recordType);
    for (const auto& [name, value] : properties.fields) {
        xml.writeStartElement(webdav::fieldNamespace, name);
        if (const auto* date = std::get_if<QDateTime>(&value)) {
            writeTextElement(xml, webdav::ownNamespace, QStringLiteral("date"),
                             date->toUTC().toString(Qt::ISODateWithMs));
        } else if (const auto* integer = std::get_if<qint64>(&value)) {
            writeTextElement(xml, webdav::ownNamespace, QStringLiteral("integer"),
                             QString::number(*integer));
        } else if (const auto* text = std::get_if<QString>(&value)) {
            writeTextElement(xml, webdav::ownNamespace, QStringLiteral("text"), *text);
        } else {
            // The reader never makes assets.
            std::abort();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement(); // prop
    writeTextElement(xml, webdav::davNamespace, QStringLiteral("status"),
                     QStringLiteral("HTTP/1.1 200 OK"));
    xml.writeEndDocument();
    return body;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bool allSucceeded = false;
    const auto properties = webdav::parseMultistatus(body, &allSucceeded);
    if (!properties) {
        return 0;
    }
    const QByteArray written = multistatusOf(*properties);
    allSucceeded = false;
    const auto reread = webdav::parseMultistatus(written, &allSucceeded);
    auto fields = properties->fields;
    for (auto& [name, value] : fields) {
        // The reader takes dates whose UTC form ISO text cannot hold (beyond the years 1 to
        // 9999); they go back as empty text, which reads as no date.
        if (const auto* date = std::get_if<QDateTime>(&value);
            date && date->toUTC().toString(Qt::ISODateWithMs).isEmpty()) {
            value = QDateTime();
        }
    }
    if (!reread || !allSucceeded || reread->etag != properties->etag ||
        reread->recordType != properties->recordType || reread->fields != fields) {
        std::abort();
    }
    return 0;
}
