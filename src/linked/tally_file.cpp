#include "linked/tally_file.h"

#include "model/number_text.h"
#include "model/paths.h"
#include "model/sjis.h"
#include "model/text_file.h"

#include <QDir>

#include <algorithm>

namespace vev {

namespace {

// What follows the version on the sheet's last line; no reader looks at it.
constexpr std::string_view AuthorNotice = "  (C) VEV developers";

} // namespace

std::string additionSheetContents(const SurveyDocument& doc, const QString& shortDate) {
    const int columns = ChoiceColumnCount(doc);
    std::string out;
    auto endLine = [&out] { out += "\r\n"; };

    out += doc.SurveyTitle.view();
    out += sjis::fromUtf8(",,　");
    out += sjis::fromQString(shortDate);
    endLine();
    out += sjis::fromUtf8("◆追加用（データ入力後、CSVファイルのまま上書き保存してください)");
    endLine();
    out += "  ,\"";
    out += sjis::fromUtf8("質問内容            ");
    out += '"';
    for (int c = 1; c <= columns; ++c) out += ",   " + std::to_string(c);
    out += ",  NG";
    endLine();
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        appendRightAligned(out, q, 2);
        out += ",\"";
        out += sjis::paddedField(doc.QuestionText[q], 16, MaxQuestionTextBytes);
        out += "\",";
        for (int c = 1; c <= columns; ++c) out += c <= doc.ChoiceCount[q] ? "   0," : "    ,";
        out += "   0";
        endLine();
    }
    endLine();
    out += sjis::fromNativePath(paths::fileNamePart(doc.CurrentTallyFilePath));
    out += " by ";
    out += doc.VersionString.empty() ? std::string_view(VevVersion) : doc.VersionString.view();
    out += AuthorNotice;
    endLine();
    return out;
}

void csvRhozon(SurveyDocument& doc, const QString& shortDate) {
    writeTextFile(doc.CurrentTallyFilePath, additionSheetContents(doc, shortDate));
}

void relinkFromNames(SurveyDocument& doc, const QStringList& names) {
    const QDir current = QDir::current();
    const int n = std::min(static_cast<int>(names.size()), MaxLinkedTallyFiles);
    for (int i = 1; i <= n; ++i) {
        const QString path = QDir::cleanPath(current.absoluteFilePath(names[i - 1]));
        doc.LinkedTallyFile[i] = paths::fromQString(path);
    }
}

} // namespace vev
