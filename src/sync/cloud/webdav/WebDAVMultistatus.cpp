#include "sync/cloud/webdav/WebDAVMultistatus.h"

#include <QDateTime>
#include <QXmlStreamReader>

namespace velunora::webdav {
namespace {

std::optional<CloudFieldValue> readFieldValue(QXmlStreamReader& xml) {
    std::optional<CloudFieldValue> value;
    while (xml.readNextStartElement()) {
        const QString kind = xml.name().toString();
        if (xml.namespaceUri() != ownNamespace) {
            xml.skipCurrentElement();
            continue;
        }
        const QString text = xml.readElementText();
        if (kind == u"date") {
            value = QDateTime::fromString(text, Qt::ISODateWithMs).toUTC();
        } else if (kind == u"integer") {
            bool valid = false;
            const qint64 integer = text.toLongLong(&valid);
            if (valid) {
                value = integer;
            }
        } else if (kind == u"text") {
            value = text;
        }
    }
    return value;
}

void readProp(QXmlStreamReader& xml, Properties& into) {
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() == davNamespace && xml.name() == u"getetag") {
            into.etag = xml.readElementText().trimmed();
        } else if (xml.namespaceUri() == ownNamespace && xml.name() == u"recordType") {
            into.recordType = xml.readElementText();
        } else if (xml.namespaceUri() == fieldNamespace) {
            const QString name = xml.name().toString();
            if (auto value = readFieldValue(xml)) {
                into.fields.insert_or_assign(name, std::move(*value));
            }
        } else {
            xml.skipCurrentElement();
        }
    }
}

bool isSuccessStatus(const QString& statusLine) {
    // "HTTP/1.1 200 OK"
    const auto parts = QStringView(statusLine).trimmed().split(u' ');
    return parts.size() >= 2 && parts[1].toInt() / 100 == 2;
}

} // namespace

std::optional<Properties> parseMultistatus(const QByteArray& body, bool* allSucceeded) {
    QXmlStreamReader xml(body);
    Properties properties;
    bool succeeded = true;
    if (!xml.readNextStartElement() || xml.namespaceUri() != davNamespace ||
        xml.name() != u"multistatus") {
        return std::nullopt;
    }
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() != davNamespace || xml.name() != u"response") {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (xml.namespaceUri() != davNamespace || xml.name() != u"propstat") {
                xml.skipCurrentElement();
                continue;
            }
            Properties block;
            QString status;
            while (xml.readNextStartElement()) {
                if (xml.namespaceUri() == davNamespace && xml.name() == u"prop") {
                    readProp(xml, block);
                } else if (xml.namespaceUri() == davNamespace && xml.name() == u"status") {
                    status = xml.readElementText();
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (!isSuccessStatus(status)) {
                succeeded = false;
                continue;
            }
            if (!block.etag.isEmpty()) {
                properties.etag = block.etag;
            }
            if (!block.recordType.isEmpty()) {
                properties.recordType = block.recordType;
            }
            properties.fields.merge(block.fields);
        }
    }
    if (xml.hasError()) {
        return std::nullopt;
    }
    if (allSucceeded) {
        *allSucceeded = succeeded;
    }
    return properties;
}

} // namespace velunora::webdav
