#include "data/Value.h"

#include "platform/Error.h"

#include <QDate>
#include <QDateTime>

namespace value {

int toInteger(const QString& text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok)
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return number;
}

bool isIntegral(int metaType)
{
    switch (metaType) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

namespace {

bool isNumber(int type) { return isIntegral(type) || type == QMetaType::Double || type == QMetaType::Float; }

} // namespace

bool equal(const QVariant& a, const QVariant& b)
{
    const bool aNull = a.isNull();
    const bool bNull = b.isNull();
    if (aNull || bNull)
        return aNull && bNull;

    const int ta = a.typeId();
    const int tb = b.typeId();
    if (ta == QMetaType::QString && tb == QMetaType::QString)
        return *static_cast<const QString*>(a.constData()) == *static_cast<const QString*>(b.constData());
    if (isIntegral(ta) && isIntegral(tb))
        return a.toLongLong() == b.toLongLong();
    if (isNumber(ta) && isNumber(tb))
        return a.toDouble() == b.toDouble();
    if (ta == QMetaType::QDate && tb == QMetaType::QDate)
        return a.toDate() == b.toDate();
    return toText(a) == toText(b);
}

QString toText(const QVariant& v)
{
    if (v.isNull())
        throw Error(QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    switch (v.typeId()) {
    case QMetaType::QString:
        return *static_cast<const QString*>(v.constData());
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case QMetaType::ULongLong:
    case QMetaType::ULong:
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return QString::number(v.toULongLong());
    default:
        if (isIntegral(v.typeId()))
            return QString::number(v.toLongLong());
        return v.toString();
    }
}

} // namespace value
