#include "update/AppcastParser.h"

#include <QXmlStreamReader>

namespace gaugelet {

namespace {

// "sparkle:<name>" (or <name> in the Sparkle namespace under any prefix), else
// the unprefixed <name>.
std::optional<QString> sparkleAttribute(const QXmlStreamAttributes& attributes, const QString& name)
{
    const QString prefixed = QStringLiteral("sparkle:") + name;
    for (const auto& attribute : attributes) {
        if (attribute.qualifiedName() == prefixed
            || (attribute.namespaceUri() == AppcastParser::sparkleNamespace && attribute.name() == name))
            return attribute.value().toString();
    }
    for (const auto& attribute : attributes) {
        if (attribute.namespaceUri().isEmpty() && attribute.qualifiedName() == name)
            return attribute.value().toString();
    }
    return std::nullopt;
}

void append(std::optional<QString>& field, QStringView piece)
{
    if (!field)
        field = QString();
    field->append(piece);
}

} // namespace

std::optional<QString> AppcastParser::latestVersion(const QByteArray& feed)
{
    QXmlStreamReader xml(feed);
    xml.setNamespaceProcessing(true);
    // A feed that uses "sparkle:" without declaring it would otherwise stop
    // at the first such name as a namespace error.
    xml.addExtraNamespaceDeclaration(QXmlStreamNamespaceDeclaration(QStringLiteral("sparkle"), sparkleNamespace));
    bool stop = false;
    while (!stop && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            stop = true;
            break;
        case QXmlStreamReader::StartElement:
            stop = !startElement(xml.name(), xml.attributes());
            break;
        case QXmlStreamReader::Characters:
            characters(xml.text());
            break;
        case QXmlStreamReader::EndElement:
            endElement(xml.name());
            break;
        default:
            break;
        }
    }
    if (shortVersion)
        return shortVersion;
    if (enclosureShortVersion)
        return enclosureShortVersion;
    if (version)
        return version;
    return enclosureVersion;
}

bool AppcastParser::startElement(QStringView localName, const QXmlStreamAttributes& attributes)
{
    if (localName == u"item") {
        if (firstItemDone)
            return false;
        insideItem = true;
        return true;
    }
    if (!insideItem)
        return true;
    currentLocalName = localName.toString();
    if (localName == u"enclosure") {
        if (auto value = sparkleAttribute(attributes, QStringLiteral("shortVersionString")))
            enclosureShortVersion = value;
        if (auto value = sparkleAttribute(attributes, QStringLiteral("version")))
            enclosureVersion = value;
        if (!enclosureURL) {
            const QStringView url = attributes.value(QLatin1String("url"));
            if (!url.isEmpty())
                enclosureURL = url.toString();
        }
    }
    return true;
}

void AppcastParser::characters(QStringView text)
{
    if (!insideItem || !currentLocalName)
        return;
    const QStringView piece = text.trimmed();
    if (piece.isEmpty())
        return;
    if (*currentLocalName == u"shortVersionString")
        append(shortVersion, piece);
    else if (*currentLocalName == u"version")
        append(version, piece);
    else if (*currentLocalName == u"link")
        append(link, piece);
}

void AppcastParser::endElement(QStringView localName)
{
    if (localName == u"item") {
        insideItem = false;
        firstItemDone = true;
    }
    currentLocalName.reset();
}

} // namespace gaugelet
