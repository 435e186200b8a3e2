#include "export/sav_writer.h"

#include "model/paths.h"
#include "model/text_file.h"
#include "model/vev_error.h"

#include <readstat.h>

#include <cerrno>
#include <memory>
#include <string_view>

namespace vev {

namespace {

// The SAV header holds a file label of 64 bytes: cut the UTF-8 title there without splitting a
// character (continuation bytes are 10xxxxxx).
QByteArray fileLabel(const QString& title) {
    QByteArray label = title.toUtf8();
    constexpr qsizetype Limit = 64;
    if (label.size() <= Limit) return label;
    qsizetype cut = Limit;
    while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80) --cut;
    return label.left(cut);
}

ssize_t appendBytes(const void* data, size_t length, void* context) {
    static_cast<QByteArray*>(context)->append(static_cast<const char*>(data),
                                              static_cast<qsizetype>(length));
    return static_cast<ssize_t>(length);
}

void check(readstat_error_t error) {
    if (error != READSTAT_OK)
        throw VevError(ioErrorText(EIO) + " (ReadStat: " + readstat_error_message(error) + ")");
}

struct WriterDeleter {
    void operator()(readstat_writer_t* writer) const { readstat_writer_free(writer); }
};

} // namespace

QByteArray savBytes(const AnswerTable& table) {
    std::unique_ptr<readstat_writer_t, WriterDeleter> writer(readstat_writer_init());
    if (!writer) throwIoError(ENOMEM);
    readstat_writer_t* w = writer.get();
    QByteArray out;
    check(readstat_set_data_writer(w, appendBytes));
    check(readstat_writer_set_file_label(w, fileLabel(table.title).constData()));
    check(readstat_writer_set_compression(w, READSTAT_COMPRESS_ROWS));

    readstat_label_set_t* ng = readstat_add_label_set(w, READSTAT_TYPE_DOUBLE, "ng");
    readstat_label_double_value(ng, AnswerTable::NgValue, "NG");

    // The files of a survey with linked data files: `file` names them.
    readstat_label_set_t* files = table.fileNames.isEmpty()
                                      ? nullptr
                                      : readstat_add_label_set(w, READSTAT_TYPE_DOUBLE, "file");
    for (qsizetype i = 0; i < table.fileNames.size(); ++i)
        readstat_label_double_value(files, static_cast<double>(i + 1),
                                    table.fileNames[i].toUtf8().constData());

    std::vector<readstat_variable_t*> variables;
    variables.reserve(table.variables.size());
    for (const AnswerVariable& v : table.variables) {
        readstat_variable_t* variable =
            readstat_add_variable(w, v.name.c_str(), READSTAT_TYPE_DOUBLE, 0);
        readstat_variable_set_label(variable, v.label.toUtf8().constData());
        readstat_variable_set_format(variable, v.kind == AnswerKind::Id     ? "F3.0"
                                               : v.kind == AnswerKind::File ? "F2.0"
                                                                            : "F1.0");
        if (v.kind == AnswerKind::File) readstat_variable_set_label_set(variable, files);
        readstat_variable_set_measure(variable, v.scale() ? READSTAT_MEASURE_SCALE
                                                          : READSTAT_MEASURE_NOMINAL);
        readstat_variable_set_alignment(variable, READSTAT_ALIGNMENT_RIGHT);
        if (v.ngLabel()) {
            readstat_label_set_t* labels = ng;
            if (!v.valueLabels.empty()) { // the values' texts beside NG
                labels = readstat_add_label_set(w, READSTAT_TYPE_DOUBLE, v.name.c_str());
                for (const auto& [value, text] : v.valueLabels)
                    readstat_label_double_value(labels, value, text.toUtf8().constData());
                readstat_label_double_value(labels, AnswerTable::NgValue, "NG");
            }
            readstat_variable_set_label_set(variable, labels);
            check(readstat_variable_add_missing_double_value(variable, AnswerTable::NgValue));
        }
        variables.push_back(variable);
    }

    check(readstat_begin_writing_sav(w, &out, table.rows));
    check(readstat_validate_metadata(w));
    for (readstat_variable_t* variable : variables) check(readstat_validate_variable(w, variable));
    for (int r = 0; r < table.rows; ++r) {
        check(readstat_begin_row(w));
        for (std::size_t c = 0; c < variables.size(); ++c) {
            const int value = table.value(r, static_cast<int>(c));
            check(value == AnswerTable::Missing
                      ? readstat_insert_missing_value(w, variables[c])
                      : readstat_insert_double_value(w, variables[c], value));
        }
        check(readstat_end_row(w));
    }
    check(readstat_end_writing(w));
    return out;
}

QByteArray savSyntax(const AnswerTable& table, const QString& savFileName) {
    QString text = QString::fromUtf8("\uFEFF* VEV: %1 の複数回答セット。SPSS または PSPP で %1 を"
                                     "開いたあとに、このファイルを実行してください.\n")
                       .arg(savFileName);
    for (const AnswerSet& set : table.sets) {
        QString label = set.label;
        label.replace(QLatin1Char('\''), QStringLiteral("''"));
        text += QStringLiteral("MRSETS /MDGROUP NAME=%1 VARIABLES=%2 TO %3 VALUE=1 LABEL='%4'.\n")
                    .arg(QString::fromLatin1(set.name),
                         QString::fromLatin1(table.variables[set.firstVariable].name),
                         QString::fromLatin1(
                             table.variables[set.firstVariable + set.variableCount - 1].name),
                         label);
    }
    // The values' texts, which the .sav holds too, for syntax run on data read otherwise.
    auto quoted = [](QString label) {
        return QLatin1Char('\'') + label.replace(QLatin1Char('\''), QStringLiteral("''")) +
               QLatin1Char('\'');
    };
    for (const AnswerVariable& v : table.variables) {
        if (v.valueLabels.empty()) continue;
        text += QStringLiteral("VALUE LABELS ") + QString::fromLatin1(v.name);
        for (const auto& [value, label] : v.valueLabels)
            text += QLatin1Char(' ') + QString::number(value) + QLatin1Char(' ') + quoted(label);
        text += QStringLiteral(" 9 'NG'.\n");
    }
    return text.toUtf8();
}

std::string savSyntaxPath(const std::string& savPath) {
    return paths::withExtension(savPath, ".sps");
}

void writeAnswersSav(const SurveyDocument& doc, const std::string& path) {
    const AnswerTable table = answerTable(doc);
    writeOutputFiles(
        {{path, savBytes(table).toStdString()},
         {savSyntaxPath(path),
          savSyntax(table, paths::toQString(paths::fileNamePart(path))).toStdString()}});
}

} // namespace vev
