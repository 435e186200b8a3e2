#include "linked/tally_file.h"

namespace vev {

void csvRhozon(SurveyDocument&, const QString&) {}
std::string additionSheetContents(const SurveyDocument&, const QString&) { return {}; }
void csvRead(SurveyDocument&, CoreEvents&) {}
void csvDel(SurveyDocument&, CoreEvents&) {}
void relinkFromNames(SurveyDocument&, const QStringList&) {}
AddRefusal addRefusal(const SurveyDocument&, const std::string&) { return AddRefusal::None; }
QString addRefusalMessage(AddRefusal, const std::string&) { return {}; }

} // namespace vev
