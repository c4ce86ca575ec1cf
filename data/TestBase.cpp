#include "data/TestBase.h"

namespace testbase {

const QStringList& answerLetters()
{
    static const QStringList letters{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"),
                                     QStringLiteral("E")};
    return letters;
}

QString topicFilter(QString topic)
{
    return QStringLiteral("rasdel='") + topic.replace(u'\'', QStringLiteral("''")) + u'\'';
}

} // namespace testbase
