#pragma once

#include "data/Exchange.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// Question banks as IMS QTI 2.1 content packages, as OpenOLAT, TAO, ILIAS
// and others exchange them: a ZIP archive with the manifest imsmanifest.xml
// at its top, whose resources of type "imsqti_item_xmlv2p1" name the
// package's item files, one <assessmentItem> each:
//
//     <assessmentItem xmlns="http://www.imsglobal.org/xsd/imsqti_v2p1" identifier="item1" title="…" …>
//       <responseDeclaration identifier="RESPONSE" cardinality="single" baseType="identifier">
//         <correctResponse><value>A</value></correctResponse>
//       </responseDeclaration>
//       <itemBody>
//         <p>Кто написал роман «Отцы и дети»?</p>
//         <choiceInteraction responseIdentifier="RESPONSE" shuffle="false" maxChoices="1">
//           <simpleChoice identifier="A">Тургенев</simpleChoice>
//           <simpleChoice identifier="B">Гончаров</simpleChoice>
//         </choiceInteraction>
//       </itemBody>
//       <responseProcessing template="http://www.imsglobal.org/question/qti_v2p1/rptemplates/match_correct"/>
//     </assessmentItem>
//
// An item with one choiceInteraction of at most one choice (maxChoices 1),
// single cardinality, and one correct response among its choices is
// carried (data/Exchange.h); the item body's text and the interaction's
// prompt make the stem. Items with other interactions are left out and
// named; the package's tests, sections and other resources are not read.
namespace qti {

// The package's questions, in the manifest's order. Refuses
// (exchange::FormatError) a file that is no ZIP archive or a damaged one,
// a package with a path that leaves its folder (".." or an absolute path,
// among its files or in the manifest), one whose files unpacked would hold
// more than exchange::kLargestFile, a package without its manifest or with
// an item file it lacks, XML that is not well-formed or has a document
// type declaration, and a package in which any question would change its
// meaning here.
exchange::Imported read(const QByteArray& package);

// A topic's stored questions as a package: the manifest and one item file
// items/itemN.xml for each, UTF-8.
QByteArray write(const QString& topic, const QList<aiken::Question>& questions);

// A ZIP archive holding the files (path, bytes), compressed, in order.
QByteArray pack(const QList<std::pair<QString, QByteArray>>& files);
// The files of a ZIP archive, in its order, refused as read() refuses a
// damaged archive, paths leaving its folder and too much unpacked.
QList<std::pair<QString, QByteArray>> unpack(const QByteArray& archive);

} // namespace qti
