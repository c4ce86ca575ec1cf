#pragma once

#include <QString>
#include <QStringList>

// What the test window and the test editor share about the test base: the
// answer letters and the filter of a topic's questions.
namespace testbase {

// The answer letters "A" … "E" (Latin capitals); the radio groups' index i
// stands for answerLetters()[i], -1 for no letter.
const QStringList& answerLetters();

// The filter text that lets through exactly the questions of one topic:
// rasdel='topic', every quote inside the topic doubled.
QString topicFilter(QString topic);

} // namespace testbase
