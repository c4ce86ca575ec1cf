#pragma once

#include "data/Aiken.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class Table;

// The question base's topics moved in and out as whole question banks.
namespace questionbank {

using Advance = std::function<bool(qint64 done)>;

// The topics a teacher may mean: those of table temi, then those that only
// questions name, each once, in the tables' order.
QStringList knownTopics(Table& temi, Table& test);

// A further test of a format a topic is written in: whether it can hold
// the question (one that aiken::fromStored gives); when not, *problem says why.
using Writable = std::function<bool(const aiken::Question& question, QString* problem)>;

// The questions of a topic (rows of test whose rasdel equals it), in the
// table's order, as they are written to a file. A question that cannot be
// written (see aiken::fromStored, and the format's own test) makes the
// whole topic fail with an Error that names each such question by its
// running number nom1 and the format by its name.
QList<aiken::Question> topicQuestions(Table& test, const QString& topic,
                                      const QString& format = QStringLiteral("Aiken"), const Writable& writable = {});

// Adds the questions to the topic, all or none, in one transaction (the
// running handler's, which its end commits; outside a handler one of the
// import's own, committed before it returns): each a
// new row of test with its text, its letter and the numbers "Сохранить" gives
// (nom1: the rows before it plus one; nom: the topic's rows numbered 1 … M in
// the table's order, the rows already there renumbered where they are not);
// the topic is added to temi when it is not there. advance(done) is told the
// questions stored; when it returns false, or when the database refuses a
// row, everything is taken back: the tables and the table objects are as
// before. Returns false when cancelled. Filtering of test is off afterwards
// and its first row current, as after "Сохранить"; a pending new row with no
// field written is discarded first, as "Сохранить" does.
bool importQuestions(Table& test, Table& temi, const QString& topic, const QList<aiken::Question>& questions,
                     const Advance& advance);

} // namespace questionbank
