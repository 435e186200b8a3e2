#include "export/answer_export.h"

#include "export/answer_csv.h"
#include "export/sav_writer.h"

namespace vev {

std::optional<ExportFormat> exportFormatOf(const QString& fileName) {
    if (fileName.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) return ExportFormat::Csv;
    if (fileName.endsWith(QStringLiteral(".sav"), Qt::CaseInsensitive)) return ExportFormat::Sav;
    return std::nullopt;
}

void exportAnswers(const SurveyDocument& doc, const std::string& path, ExportFormat format,
                   bool byteOrderMark) {
    if (format == ExportFormat::Sav)
        writeAnswersSav(doc, path);
    else
        writeAnswersCsv(doc, path, byteOrderMark);
}

} // namespace vev
