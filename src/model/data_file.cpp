#include "model/data_file.h"

namespace vev {

void hozon(SurveyDocument&, const QString&) {}
std::string dataFileContents(const SurveyDocument&, const QString&) { return {}; }
LoadOutcome Loaddatafile(SurveyDocument&, CoreEvents&) { return LoadOutcome::Refused; }

} // namespace vev
