#pragma once

#include "data/Exchange.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Question banks in Moodle XML, the format in which Moodle exports and
// imports its question bank:
//
//     <?xml version="1.0" encoding="UTF-8"?>
//     <quiz>
//       <question type="multichoice">
//         <name><text>Тургенев</text></name>
//         <questiontext format="html"><text><![CDATA[<p>Кто написал «Отцы и дети»?</p>]]></text></questiontext>
//         <single>true</single>
//         <answer fraction="100" format="html"><text>Тургенев</text></answer>
//         <answer fraction="0" format="html"><text>Гончаров</text></answer>
//       </question>
//     </quiz>
//
// Questions of type "multichoice" with <single>true</single> (or none) are
// carried (data/Exchange.h tells how); a choice is right when its fraction
// is 100. Texts are read as their format says: "html", "moodle_auto_format"
// (HTML whose line ends are line ends), "plain_text", "markdown" (both as
// they stand). Categories and names are not carried: the import asks for
// the topic as every import does.
namespace moodlexml {

// The file's questions. Refuses (exchange::FormatError) a file that is not
// well-formed XML in its declared encoding, one with a document type
// declaration, one whose root is not <quiz>, and one in which any question
// would change its meaning here.
exchange::Imported read(const QByteArray& bytes);

// A topic's stored questions (as aiken::fromStored gives them) as a file:
// UTF-8, a category named after the topic, then one question
// "multichoice" each, single answer, the choices in their order, lettered
// "ABCD" as here.
QByteArray write(const QString& topic, const QList<aiken::Question>& questions);

} // namespace moodlexml
