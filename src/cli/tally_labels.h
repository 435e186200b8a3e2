#pragma once

#include "model/survey_document.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vev {

// vev-tally labels: the questionnaire's texts as a UTF-8 table with CR LF line ends, header
// "質問番号,選択肢番号,内容", one row per text, choice 0 for the wording.
QByteArray textsCsv(const SurveyDocument& doc);

// Such a table read back for the document's questionnaire: the texts it holds (every other
// text is empty), or the refusal naming the line (a bad number, a question or choice that
// does not exist, a text that Shift-JIS cannot hold). A text over its limit is cut on a
// character boundary, with a notice. The header row is optional; `name` is the file's name for
// the messages.
struct TextsTable {
    SurveyTexts Texts;
    QString Refusal;
    QStringList Notices;
};
TextsTable readTextsCsv(const QByteArray& csv, const SurveyDocument& doc, const QString& name);

} // namespace vev
