#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

class QMimeData;

namespace ornavel {

// One row of a labelled table: the quantity and its value, as the window shows them.
using TableRow = std::pair<QString, QString>;

// Rows as clipboard data in two forms: text/plain, one "quantity = value" line each, and
// text/html, a two-column table that pastes as cells into spreadsheets and documents.
// The caller owns the result (QClipboard::setMimeData takes it).
QMimeData *tableMimeData(const QList<TableRow> &rows);

// A grid as clipboard data in the same two forms: text/plain, the header and then each row
// as tab-separated cells, and text/html, a table with the header as its heading cells.
QMimeData *gridMimeData(const QStringList &header, const QList<QStringList> &rows);

} // namespace ornavel
