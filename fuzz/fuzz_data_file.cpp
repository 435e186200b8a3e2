// Loads arbitrary bytes as a survey data file, then builds every file the loaded survey can
// produce. A VevError is an accepted outcome; anything the sanitizers see is not.
#include "fuzz_input.h"

#include "linked/tally_file.h"
#include "model/core_events.h"
#include "model/data_file.h"
#include "model/survey_document.h"
#include "model/vev_error.h"
#include "results/results_file.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = writeFuzzInput(data, size, "survey.dat");
    auto doc = std::make_unique<vev::SurveyDocument>();
    doc->VersionString = vev::VevVersion;
    doc->OpenRequestPath = path;
    vev::SilentEvents events;
    const QString date = QStringLiteral("2026/12/07");
    try {
        if (vev::Loaddatafile(*doc, events) != vev::LoadOutcome::Loaded) return 0;
        (void)vev::dataFileContents(*doc, date);
        (void)vev::resultsFileContents(*doc, date);
        (void)vev::additionSheetContents(*doc, date);
        doc->Frac1 = !doc->Frac1;
        (void)vev::resultsFileContents(*doc, date);
    } catch (const vev::VevError&) {
    }
    return 0;
}
