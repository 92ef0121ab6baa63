#include "platform/PropertyList.h"

#include <QDateTime>
#include <algorithm>
#include <QStringList>
#include <QTimeZone>
#include <cmath>
#include <limits>
#include <plist/plist.h>

namespace gaugelet {

namespace {

// Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
const QDateTime& referenceDate()
{
    static const QDateTime ref(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return ref;
}

constexpr int maxDepth = 256;

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

QVariant fromNode(plist_t node, int depth, bool& ok)
{
    if (depth > maxDepth) {
        ok = false;
        return {};
    }
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
        char* s = nullptr;
        plist_get_string_val(node, &s);
        QString text = QString::fromUtf8(s ? s : "");
        free(s);
        return text;
    }
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return bool(b);
    }
    case PLIST_UINT: {
        uint64_t v = 0;
        plist_get_uint_val(node, &v);
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
    case PLIST_DICT: {
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
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        return QVariant(value.toLongLong());
    case QMetaType::Float:
        return QVariant(double(value.toFloat()));
    case QMetaType::QDateTime:
        return value.toDateTime().toUTC();
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
    plist_t root = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &root);
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
