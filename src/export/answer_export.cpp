#include "export/answer_export.h"

#include "model/output_target.h"
#include "export/answer_csv.h"
#include "export/sav_writer.h"

namespace vev {

std::optional<ExportFormat> exportFormatOf(const QString& fileName) {
    if (fileName.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) return ExportFormat::Csv;
    if (fileName.endsWith(QStringLiteral(".sav"), Qt::CaseInsensitive)) return ExportFormat::Sav;
    return std::nullopt;
}

std::vector<std::string> exportedFiles(const std::string& path, ExportFormat format) {
    return {path, format == ExportFormat::Sav ? savSyntaxPath(path) : codebookPath(path)};
}

void exportAnswers(const SurveyDocument& doc, const std::string& path, ExportFormat format,
                   bool byteOrderMark) {
    for (const std::string& file : exportedFiles(path, format))
        checkOutputTarget(doc, file, OutputRole::Other);
    if (format == ExportFormat::Sav)
        writeAnswersSav(doc, path);
    else
        writeAnswersCsv(doc, path, byteOrderMark);
}

} // namespace vev
