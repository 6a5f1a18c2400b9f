#pragma once

#include <QList>
#include <QString>

#include <utility>

class QMimeData;

namespace ornavel {

// One row of a labelled table: the quantity and its value, as the window shows them.
using TableRow = std::pair<QString, QString>;

// Rows as clipboard data in two forms: text/plain, one "quantity = value" line each, and
// text/html, a two-column table that pastes as cells into spreadsheets and documents.
// The caller owns the result (QClipboard::setMimeData takes it).
QMimeData *tableMimeData(const QList<TableRow> &rows);

} // namespace ornavel
