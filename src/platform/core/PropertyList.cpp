#include "platform/core/PropertyList.h"

#include <QDateTime>
#include <algorithm>
#include <cctype>
#include <QStringList>
#include <QTimeZone>
#include <cmath>
#include <cstring>
#include <limits>
#include <plist/plist.h>
#include <string_view>
#include <vector>

namespace gaugelet {

namespace {

// Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
const QDateTime& referenceDate()
{
    static const QDateTime ref(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return ref;
}

constexpr int maxDepth = 256;
// A binary list may reference one object many times; libplist copies each
// reference, so a small file could otherwise expand into billions of values.
constexpr quint64 maxExpandedValues = quint64(1) << 20;

// libplist recurses while parsing binary lists and while freeing any list,
// and asserts on strings and keys holding NUL. Every input is vetted here
// first: nesting at most maxDepth containers deep, no NUL in any string or
// key, no reference cycle, a bounded expansion.

bool isBinary(const QByteArray& data)
{
    return data.size() >= 8 && std::memcmp(data.constData(), "bplist00", 8) == 0;
}

bool startsWith(const char* p, const char* end, const char* literal)
{
    const size_t n = std::strlen(literal);
    return size_t(end - p) >= n && std::memcmp(p, literal, n) == 0;
}

// What the reader keeps of integers and dates: libplist holds an integer in
// 64 bits, signed or (above 2^63-1) unsigned, and a date as whole seconds
// from 2001 in 32 bits. A value outside that would come back changed (an
// integer wider than 64 bits reads as -1, a date is clamped to 1932-12-13 ...
// 2069-01-19), so a list holding one is refused as unreadable rather than
// changed silently.
const QString integerOutOfRange =
    QStringLiteral("property list holds an integer below -9223372036854775808 or above 18446744073709551615");
const QString dateOutOfRange =
    QStringLiteral("property list holds a date outside 1932-12-13 to 2069-01-19, which cannot be kept exactly");

bool dateSecondsFit(double seconds)
{
    return std::isfinite(seconds) && seconds >= double(std::numeric_limits<int32_t>::min())
        && seconds < double(std::numeric_limits<int32_t>::max()) + 1.0;
}

// The text of an <integer> or <date> element; empty when it is kept exactly.
QString vetXmlScalar(std::string_view name, QByteArray text)
{
    text = text.trimmed();
    if (name == "integer") {
        bool negative = false;
        if (text.startsWith('-') || text.startsWith('+')) {
            negative = text.startsWith('-');
            text.remove(0, 1);
        }
        const bool hex = text.startsWith("0x") || text.startsWith("0X");
        const QByteArray digits = hex ? text.mid(2) : text;
        const bool wellFormed = !digits.isEmpty()
            && std::all_of(digits.begin(), digits.end(), [hex](char c) { return hex ? std::isxdigit(uchar(c)) : std::isdigit(uchar(c)); })
            && (hex || digits.size() == 1 || !digits.startsWith('0')); // a leading 0 would read as octal
        if (!wellFormed)
            return QStringLiteral("property list holds an unreadable integer");
        bool ok = false;
        const quint64 magnitude = digits.toULongLong(&ok, hex ? 16 : 10);
        const quint64 limit =
            negative ? quint64(std::numeric_limits<qint64>::max()) + 1 : std::numeric_limits<quint64>::max();
        return ok && magnitude <= limit ? QString() : integerOutOfRange;
    }
    const QDateTime date = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
    if (!date.isValid())
        return QStringLiteral("property list holds an unreadable date");
    return dateSecondsFit(double(referenceDate().msecsTo(date)) / 1000.0) ? QString() : dateOutOfRange;
}

// Scans the tags of an XML list: every element must close in order, and no
// more than maxDepth arrays and dictionaries may be open at once. XML cannot
// carry a NUL character at all, so any NUL byte refuses the document.
QString vetXml(const QByteArray& data)
{
    const char* p = data.constData();
    const char* const end = p + data.size();
    if (std::memchr(p, 0, size_t(data.size())))
        return QStringLiteral("property list holds a NUL character");
    std::vector<std::pair<const char*, size_t>> open;
    int containers = 0;
    while (p < end) {
        p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
        if (!p)
            break;
        const char* close = nullptr;
        // The '>' that ends a comment, a CDATA section or an instruction.
        auto endOf = [&](size_t skip, std::string_view terminator) -> const char* {
            const char* found = std::search(p + skip, end, terminator.begin(), terminator.end());
            return found == end ? nullptr : found + terminator.size() - 1;
        };
        if (startsWith(p, end, "<!--")) {
            close = endOf(4, "-->");
        } else if (startsWith(p, end, "<![CDATA[")) {
            close = endOf(9, "]]>");
        } else if (startsWith(p, end, "<?")) {
            close = endOf(2, "?>");
        } else if (startsWith(p, end, "<!")) {
            close = static_cast<const char*>(std::memchr(p, '>', size_t(end - p)));
        } else {
            // An element tag; quoted attribute values may hold '>'.
            char quote = 0;
            for (const char* q = p + 1; q < end; ++q) {
                if (quote) {
                    if (*q == quote)
                        quote = 0;
                } else if (*q == '"' || *q == '\'') {
                    quote = *q;
                } else if (*q == '>') {
                    close = q;
                    break;
                }
            }
            if (!close)
                return QStringLiteral("not a property list");
            const bool closing = p[1] == '/';
            const char* nameStart = p + (closing ? 2 : 1);
            const char* nameEnd = nameStart;
            while (nameEnd < close && !std::isspace(static_cast<unsigned char>(*nameEnd)) && *nameEnd != '/')
                ++nameEnd;
            const size_t nameLength = size_t(nameEnd - nameStart);
            const bool container = (nameLength == 5 && std::memcmp(nameStart, "array", 5) == 0)
                || (nameLength == 4 && std::memcmp(nameStart, "dict", 4) == 0);
            if (closing) {
                if (open.empty() || open.back().second != nameLength
                    || std::memcmp(open.back().first, nameStart, nameLength) != 0)
                    return QStringLiteral("not a property list");
                open.pop_back();
                if (container)
                    --containers;
            } else if (close[-1] != '/') {
                const std::string_view tag(nameStart, nameLength);
                if (tag == "integer" || tag == "date") {
                    const char* textEnd = static_cast<const char*>(std::memchr(close, '<', size_t(end - close)));
                    if (!textEnd)
                        return QStringLiteral("not a property list");
                    const QString refused = vetXmlScalar(tag, QByteArray(close + 1, qsizetype(textEnd - close - 1)));
                    if (!refused.isEmpty())
                        return refused;
                }
                open.emplace_back(nameStart, nameLength);
                if (container && ++containers > maxDepth)
                    return QStringLiteral("property list nested too deeply");
                if (open.size() > size_t(maxDepth) * 2)
                    return QStringLiteral("property list nested too deeply");
            }
        }
        if (!close)
            return QStringLiteral("not a property list");
        p = close + 1;
    }
    return {};
}

// Walks the object table of a binary list from its root with an explicit
// stack. Anything out of bounds is refused outright (libplist refuses it too).
class BinaryListVetter {
public:
    explicit BinaryListVetter(const QByteArray& data)
        : m_bytes(reinterpret_cast<const unsigned char*>(data.constData())), m_size(quint64(data.size()))
    {
    }

    // Where 16-byte negative integers start: libplist would read each as an
    // unsigned value, so they are narrowed to 8 bytes before it reads them.
    const std::vector<quint64>& negativeWide() const { return m_negativeWide; }

    // The reason the list is refused, or an empty text.
    QString vet()
    {
        if (m_size < 8 + 32 || !readTrailer())
            return malformed();
        m_state.assign(m_objectCount, Unseen);
        m_height.assign(m_objectCount, 0);
        m_expanded.assign(m_objectCount, 0);
        if (QString error = enter(m_root); !error.isEmpty())
            return error;
        while (!m_stack.empty()) {
            if (QString error = step(); !error.isEmpty())
                return error;
        }
        return {};
    }

private:
    struct Object {
        unsigned type = 0;
        quint64 count = 0;      // children (dict: pairs)
        quint64 refsOffset = 0; // where the references start
    };
    struct Frame {
        quint64 index;
        Object object;
        quint64 next; // next reference to visit
    };
    enum : unsigned char { Unseen, Open, Done };

    static QString malformed() { return QStringLiteral("not a property list"); }

    quint64 readBE(quint64 offset, unsigned width) const
    {
        quint64 v = 0;
        for (unsigned i = 0; i < width; ++i)
            v = (v << 8) | m_bytes[offset + i];
        return v;
    }

    // Reads the trailer; false when its figures do not fit the data.
    bool readTrailer()
    {
        const quint64 trailer = m_size - 32;
        m_offsetSize = m_bytes[trailer + 6];
        m_refSize = m_bytes[trailer + 7];
        m_objectCount = readBE(trailer + 8, 8);
        m_root = readBE(trailer + 16, 8);
        m_offsetTable = readBE(trailer + 24, 8);
        return !(m_offsetSize == 0 || m_offsetSize > 8 || m_refSize == 0 || m_refSize > 8 || m_objectCount == 0
                 || m_root >= m_objectCount || m_offsetTable < 8 || m_offsetTable > trailer
                 || m_objectCount > (trailer - m_offsetTable) / m_offsetSize);
    }

    quint64 objectOffset(quint64 index) const { return readBE(m_offsetTable + index * m_offsetSize, m_offsetSize); }

    // Decodes an object's marker; false when it runs past the objects.
    bool decode(quint64 index, Object& out) const
    {
        const quint64 offset = objectOffset(index);
        if (offset < 8 || offset >= m_offsetTable)
            return false;
        const unsigned marker = m_bytes[offset];
        out.type = marker >> 4;
        quint64 count = marker & 0x0f;
        quint64 at = offset + 1;
        const bool sized = out.type == 0x4 || out.type == 0x5 || out.type == 0x6 || out.type == 0x7
            || out.type == 0xA || out.type == 0xC || out.type == 0xD;
        if (sized && count == 0x0f) {
            if (at >= m_offsetTable || (m_bytes[at] >> 4) != 0x1)
                return false;
            const unsigned width = 1u << (m_bytes[at] & 0x0f);
            if (width > 8 || m_offsetTable - (at + 1) < width)
                return false;
            count = readBE(at + 1, width);
            at += 1 + width;
        }
        out.count = count;
        out.refsOffset = at;
        quint64 length = 0;
        switch (out.type) {
        case 0x5: case 0x7: length = count; break;
        case 0x6: length = count > (m_offsetTable - at) / 2 ? m_offsetTable : count * 2; break;
        case 0xA:
        case 0xC: length = count > (m_offsetTable - at) / m_refSize ? m_offsetTable : count * m_refSize; break;
        case 0xD:
            length = count > (m_offsetTable - at) / (2 * m_refSize) ? m_offsetTable : count * 2 * m_refSize;
            break;
        default: return true;
        }
        return length <= m_offsetTable - at;
    }

    bool holdsNul(const Object& o) const
    {
        if (o.type == 0x5 || o.type == 0x7)
            return std::memchr(m_bytes + o.refsOffset, 0, size_t(o.count)) != nullptr;
        if (o.type == 0x6) {
            for (quint64 i = 0; i < o.count; ++i)
                if (m_bytes[o.refsOffset + 2 * i] == 0 && m_bytes[o.refsOffset + 2 * i + 1] == 0)
                    return true;
        }
        return false;
    }

    // Integers must fit 64 bits (a 16-byte negative one is noted, to be
    // narrowed); dates the 32-bit seconds libplist keeps.
    QString scalarRefused(quint64 index, const Object& o)
    {
        const quint64 at = objectOffset(index) + 1;
        if (o.type == 0x1) {
            const quint64 width = quint64(1) << (m_bytes[at - 1] & 0x0f);
            if (width > 16 || m_offsetTable - at < width)
                return malformed();
            if (width == 16) {
                // An unsigned value fills the lower half, a negative one is
                // sign-extended; anything else is wider than 64 bits.
                const quint64 upper = readBE(at, 8);
                const bool negative = (readBE(at + 8, 8) >> 63) != 0;
                if (upper != 0 && !(negative && upper == ~quint64(0)))
                    return integerOutOfRange;
                if (upper != 0)
                    m_negativeWide.push_back(at - 1);
            }
        } else if (o.type == 0x3) {
            if (m_bytes[at - 1] != 0x33 || m_offsetTable - at < 8)
                return malformed();
            const quint64 raw = readBE(at, 8);
            double seconds;
            std::memcpy(&seconds, &raw, sizeof seconds);
            if (!dateSecondsFit(seconds))
                return dateOutOfRange;
        }
        return {};
    }

    // Checks one object met for the first time; a container is opened.
    QString enter(quint64 index)
    {
        Object o;
        if (!decode(index, o))
            return malformed();
        if (holdsNul(o))
            return QStringLiteral("property list holds a NUL character");
        if (QString refused = scalarRefused(index, o); !refused.isEmpty())
            return refused;
        if (o.type == 0xA || o.type == 0xC || o.type == 0xD) {
            m_state[index] = Open;
            m_stack.push_back({index, o, 0});
            if (m_stack.size() > size_t(maxDepth))
                return QStringLiteral("property list nested too deeply");
        } else {
            m_state[index] = Done;
            m_expanded[index] = 1;
        }
        return {};
    }

    // Closes the innermost open container, whose children are all measured.
    QString close(const Frame& frame, quint64 refs)
    {
        int h = 0;
        quint64 total = 1;
        for (quint64 i = 0; i < refs; ++i) {
            const quint64 child = readBE(frame.object.refsOffset + i * m_refSize, m_refSize);
            h = std::max(h, m_height[child]);
            total = std::min(total + m_expanded[child], maxExpandedValues + 1);
        }
        if (total > maxExpandedValues)
            return QStringLiteral("property list too large");
        m_height[frame.index] = h + 1;
        m_expanded[frame.index] = total;
        m_state[frame.index] = Done;
        m_stack.pop_back();
        return {};
    }

    // Depth-first: each object's height (containers nested within and
    // including it) and expanded value count are kept, so shared objects are
    // measured once and a cycle shows as an object met again while still open.
    QString step()
    {
        Frame& frame = m_stack.back();
        const quint64 refs = frame.object.type == 0xD ? frame.object.count * 2 : frame.object.count;
        if (frame.next == refs)
            return close(frame, refs);
        const quint64 child = readBE(frame.object.refsOffset + frame.next * m_refSize, m_refSize);
        ++frame.next;
        if (child >= m_objectCount)
            return malformed();
        if (m_state[child] == Open)
            return QStringLiteral("property list refers to itself");
        if (m_state[child] == Done) {
            if (m_stack.size() + size_t(m_height[child]) > size_t(maxDepth))
                return QStringLiteral("property list nested too deeply");
            return {};
        }
        return enter(child);
    }

    const unsigned char* m_bytes;
    quint64 m_size;
    unsigned m_offsetSize = 0;
    unsigned m_refSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_root = 0;
    quint64 m_offsetTable = 0;
    std::vector<unsigned char> m_state;
    std::vector<int> m_height;
    std::vector<quint64> m_expanded;
    std::vector<Frame> m_stack;
    std::vector<quint64> m_negativeWide;
};

// Vets a binary list, narrowing each 16-byte negative integer in data to the
// 8 bytes libplist reads as signed (objects are found through the offset
// table, so the 8 bytes left over are never read).
QString vetBinary(QByteArray& data)
{
    BinaryListVetter vetter(data);
    if (QString refused = vetter.vet(); !refused.isEmpty())
        return refused;
    for (const quint64 at : vetter.negativeWide()) {
        char* object = data.data() + at;
        object[0] = char(0x13);
        std::memmove(object + 1, object + 9, 8);
    }
    return {};
}

// An integer node for an unsigned value above the signed range: libplist
// writes what plist_new_uint makes as signed, and keeps a value as unsigned
// only when it read it so.
plist_t unsignedNode(quint64 value)
{
    if (value <= quint64(std::numeric_limits<qint64>::max()))
        return plist_new_uint(value);
    const QByteArray xml = "<plist version=\"1.0\"><integer>" + QByteArray::number(value) + "</integer></plist>";
    plist_t node = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &node);
    return node;
}

// Whether an integer node whose 64 bits have the top bit set holds an unsigned
// value (else a negative one): libplist 2.2 only says so in what it writes.
bool isUnsignedNode(plist_t node)
{
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    const bool negative = xml && std::string_view(xml, length).find("<integer>-") != std::string_view::npos;
    plist_to_xml_free(xml);
    return !negative;
}

plist_t toNode(const QVariant& value, int depth)
{
    if (depth > maxDepth)
        return nullptr;
    switch (value.typeId()) {
    case QMetaType::QString:
        return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::LongLong:
        return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::ULongLong: return unsignedNode(value.toULongLong());
    case QMetaType::Double:
        return plist_new_real(value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::QDateTime: {
        const qint64 ms = referenceDate().msecsTo(value.toDateTime());
        qint64 sec = ms / 1000;
        qint64 usec = (ms % 1000) * 1000;
        if (usec < 0) {
            sec -= 1;
            usec += 1000000;
        }
        sec = std::clamp<qint64>(sec, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
        return plist_new_date(int32_t(sec), int32_t(usec));
    }
    case QMetaType::QVariantList: {
        plist_t array = plist_new_array();
        for (const QVariant& item : value.toList()) {
            plist_t node = toNode(item, depth + 1);
            if (node)
                plist_array_append_item(array, node);
        }
        return array;
    }
    case QMetaType::QVariantMap: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            plist_t node = toNode(it.value(), depth + 1);
            if (node)
                plist_dict_set_item(dict, it.key().toUtf8().constData(), node);
        }
        return dict;
    }
    default:
        return nullptr;
    }
}

QVariant fromNode(plist_t node, int depth, bool& ok);

QVariant stringFromNode(plist_t node, bool& ok)
{
    // Read with its length: the copying getter asserts on an embedded NUL.
    uint64_t length = 0;
    const char* s = plist_get_string_ptr(node, &length);
    if (!s && length == 0)
        return QString();
    if (!s || length > uint64_t(std::numeric_limits<int32_t>::max()) || std::memchr(s, 0, size_t(length))) {
        ok = false;
        return {};
    }
    return QString::fromUtf8(s, qsizetype(length));
}

QVariant dictFromNode(plist_t node, int depth, bool& ok)
{
    QVariantMap map;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    if (!iter)
        return map;
    for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iter, &key, &item);
        if (!item) {
            free(key);
            break;
        }
        map.insert(QString::fromUtf8(key ? key : ""), fromNode(item, depth + 1, ok));
        free(key);
        if (!ok)
            break;
    }
    free(iter);
    return map;
}

QVariant fromNode(plist_t node, int depth, bool& ok)
{
    if (depth > maxDepth) {
        ok = false;
        return {};
    }
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: return stringFromNode(node, ok);
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return bool(b);
    }
    case PLIST_UINT: {
        uint64_t v = 0;
        plist_get_uint_val(node, &v);
        if (v > quint64(std::numeric_limits<qint64>::max()) && isUnsignedNode(node))
            return QVariant(quint64(v));
        return qint64(v);
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return d;
    }
    case PLIST_DATA: {
        char* bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        QByteArray data(bytes, qsizetype(length));
        free(bytes);
        return data;
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return referenceDate().addMSecs(qint64(sec) * 1000 + usec / 1000);
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t n = plist_array_get_size(node);
        list.reserve(n);
        for (uint32_t i = 0; i < n && ok; ++i)
            list.append(fromNode(plist_array_get_item(node, i), depth + 1, ok));
        return list;
    }
    case PLIST_DICT: return dictFromNode(node, depth, ok);
    default:
        ok = false;
        return {};
    }
}

} // namespace

QVariant PropertyList::normalized(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::Bool:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QByteArray:
        return value;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QVariant(value.toLongLong());
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return QVariant(value.toULongLong());
        return QVariant(value.toLongLong());
    case QMetaType::Float:
        return QVariant(double(value.toFloat()));
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (!date.isValid() || !dateSecondsFit(double(referenceDate().msecsTo(date)) / 1000.0))
            return {};
        return date.toUTC();
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        QVariantList out;
        for (const QVariant& item : value.toList()) {
            QVariant n = normalized(item);
            if (!n.isValid())
                return {};
            out.append(n);
        }
        return out;
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        QVariantMap out;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            QVariant n = normalized(it.value());
            if (!n.isValid())
                return {};
            out.insert(it.key(), n);
        }
        return out;
    }
    default:
        return {};
    }
}

QByteArray PropertyList::toXml(const QVariant& value)
{
    plist_t root = toNode(normalized(value), 0);
    if (!root)
        root = plist_new_dict();
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    QByteArray out(xml, qsizetype(length));
    plist_to_xml_free(xml);
    plist_free(root);
    return out;
}

Result<QVariant, PropertyList::ReadError> PropertyList::fromData(const QByteArray& data)
{
    if (data.isEmpty())
        return fail(ReadError{QStringLiteral("empty property list")});
    if (data.size() > std::numeric_limits<int32_t>::max())
        return fail(ReadError{QStringLiteral("property list too large")});
    const bool binary = isBinary(data);
    QByteArray bytes = data;
    if (const QString refused = binary ? vetBinary(bytes) : vetXml(bytes); !refused.isEmpty())
        return fail(ReadError{refused});
    plist_t root = nullptr;
    if (binary)
        plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &root);
    else
        plist_from_xml(bytes.constData(), uint32_t(bytes.size()), &root);
    if (!root)
        return fail(ReadError{QStringLiteral("not a property list")});
    bool ok = true;
    QVariant value = fromNode(root, 0, ok);
    plist_free(root);
    if (!ok)
        return fail(ReadError{QStringLiteral("property list holds an unsupported or too deeply nested value")});
    return value;
}

} // namespace gaugelet
