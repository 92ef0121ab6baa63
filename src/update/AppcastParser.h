#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

class QXmlStreamAttributes;

namespace gaugelet {

// Finds the version of an appcast's first item. One instance per parse.
// The version may stand as the text of the elements "sparkle:shortVersionString"
// and "sparkle:version" (matched by local name), or as the enclosure's
// attributes with or without the "sparkle:" prefix. Parsing stops at the start
// of the second item; whatever was found before an XML error counts. A
// document type declaration ends the parse (no DTDs, no entity expansion).
class AppcastParser {
public:
    // The first item's version: short version, else the enclosure's short
    // version, else version, else the enclosure's version.
    std::optional<QString> latestVersion(const QByteArray& feed);

    bool insideItem = false;
    bool firstItemDone = false;
    std::optional<QString> currentLocalName;
    std::optional<QString> shortVersion;
    std::optional<QString> version;
    std::optional<QString> enclosureShortVersion;
    std::optional<QString> enclosureVersion;
    // Also read from the first item, for the updater's download button.
    std::optional<QString> enclosureURL;
    std::optional<QString> link;

    static inline const QString sparkleNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

private:
    // Returns false when parsing must stop.
    bool startElement(QStringView localName, const QXmlStreamAttributes& attributes);
    void characters(QStringView text);
    void endElement(QStringView localName);
};

} // namespace gaugelet
