#include "platform/clipboard_table.h"

#include <QMimeData>

namespace ornavel {

QMimeData *tableMimeData(const QList<TableRow> &rows)
{
    QString plain;
    // The charset is stated: a word processor may otherwise read γ and ρ as Latin-1.
    QString html = QStringLiteral("<meta charset=\"utf-8\">\n<table>\n");
    for (const auto &[quantity, value] : rows) {
        plain += quantity + QStringLiteral(" = ") + value + u'\n';
        html += QStringLiteral("<tr><td>") + quantity.toHtmlEscaped() + QStringLiteral("</td><td>")
            + value.toHtmlEscaped() + QStringLiteral("</td></tr>\n");
    }
    html += QStringLiteral("</table>\n");
    auto *data = new QMimeData;
    data->setText(plain);
    data->setHtml(html);
    return data;
}

} // namespace ornavel
