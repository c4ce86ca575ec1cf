#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

// Tables as CSV files that a spreadsheet with Russian settings opens with a
// double click: UTF-8 with a byte-order mark, ";" between cells, CR LF after
// each row, dates as dd.mm.yyyy; a cell holding ";", a double quote, a line
// break or blanks at its ends is enclosed in double quotes, each quote
// inside doubled (RFC 4180).
namespace csv {

// A value as a cell's text: an absent value is an empty cell, a date
// dd.mm.yyyy, a number its digits, a text itself, except that a text that a
// spreadsheet would run as a formula (one beginning with "=", "+", "-", "@",
// a tab or a carriage return) gets an apostrophe in front, which spreadsheets
// show as text.
QString cellText(const QVariant& value);

// One row: the cells quoted where needed, separated by ";", ended by CR LF.
QByteArray row(const QStringList& cells);

// The byte-order mark that starts the file.
inline const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

// Writes a file of a title row and rows 0 … rowCount-1, the cells of a row
// given by cellsOf, atomically (NewFile): a failure throws Error and leaves
// no file behind, the previous file of that name untouched. advance(done)
// is told the rows written so far; when it returns false the writing stops,
// nothing is written and the result is false.
bool writeTable(const QString& path, const QStringList& titles, qint64 rowCount,
                const std::function<QStringList(qint64)>& cellsOf, const std::function<bool(qint64)>& advance);

} // namespace csv
