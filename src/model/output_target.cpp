#include "model/output_target.h"

#include "model/paths.h"
#include "model/vev_error.h"

#include <QDir>
#include <QFileInfo>

namespace vev {

namespace {

// One file, whether named through a link, a relative path or "..": compared canonically when
// both exist, otherwise by their clean absolute paths.
bool sameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    const QFileInfo fa(paths::toQString(a)), fb(paths::toQString(b));
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

[[noreturn]] void refuse(const std::string& target, const char* what) {
    throw VevError(target + " は" + what + "です。上書きできません。");
}

} // namespace

void checkOutputTarget(const SurveyDocument& doc, const std::string& target, OutputRole role) {
    if (sameFile(target, doc.DataFilePath)) refuse(target, "このアンケートのデータファイル");
    for (int i = 1; i <= doc.LinkedTallyFileCount; ++i)
        if (sameFile(target, doc.LinkedTallyFile[i]))
            refuse(target, "このアンケートの追加集計ファイル");
    if (role == OutputRole::ResultsTable) return;
    const std::string ownResults =
        doc.DataFilePath.empty() ? std::string() : paths::withExtension(doc.DataFilePath, ".csv");
    if (sameFile(target, doc.ResultsFilePath) || sameFile(target, ownResults))
        refuse(target, "このアンケートの集計結果ファイル");
}

} // namespace vev
