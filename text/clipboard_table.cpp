#include "text/clipboard_table.h"

#include <QMimeData>

namespace ornavel {

namespace {

// The charset is stated: a word processor may otherwise read γ and ρ as Latin-1.
const QString htmlOpening = QStringLiteral("<meta charset=\"utf-8\">\n<table>\n");

QMimeData *mimeData(const QString &plain, const QString &html)
{
    auto *data = new QMimeData;
    data->setText(plain);
    data->setHtml(html);
    return data;
}

void appendHtmlRow(QString &html, const QStringList &cells, const QString &tag)
{
    html += QStringLiteral("<tr>");
    for (const QString &cell : cells)
        html += u'<' + tag + u'>' + cell.toHtmlEscaped() + QStringLiteral("</") + tag + u'>';
    html += QStringLiteral("</tr>\n");
}

} // namespace

QMimeData *gridMimeData(const QStringList &header, const QList<QStringList> &rows)
{
    QString plain = header.join(u'\t') + u'\n';
    QString html = htmlOpening;
    appendHtmlRow(html, header, QStringLiteral("th"));
    for (const QStringList &row : rows) {
        plain += row.join(u'\t') + u'\n';
        appendHtmlRow(html, row, QStringLiteral("td"));
    }
    html += QStringLiteral("</table>\n");
    return mimeData(plain, html);
}

QMimeData *tableMimeData(const QList<TableRow> &rows)
{
    QString plain;
    QString html = htmlOpening;
    for (const auto &[quantity, value] : rows) {
        plain += quantity + QStringLiteral(" = ") + value + u'\n';
        appendHtmlRow(html, {quantity, value}, QStringLiteral("td"));
    }
    html += QStringLiteral("</table>\n");
    return mimeData(plain, html);
}

} // namespace ornavel
