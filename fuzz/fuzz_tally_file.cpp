// Reads arbitrary bytes as a tally file into a survey with a mix of question kinds: csvRead
// (title check and merge) and csvDel (which reads the counts without the title check).
#include "fuzz_input.h"

#include "linked/tally_file.h"
#include "model/core_events.h"
#include "model/sjis.h"
#include "model/survey_document.h"
#include "model/vev_error.h"

#include <limits>
#include <memory>

namespace {
std::unique_ptr<vev::SurveyDocument> survey() {
    auto doc = std::make_unique<vev::SurveyDocument>();
    doc->VersionString = vev::VevVersion;
    doc->SurveyTitle = vev::sjis::fromUtf8("満足度調査");
    const int choices[] = {2, 6, 5, 8, 1, 0, 3};
    doc->QuestionCount = 7;
    for (int q = 1; q <= doc->QuestionCount; ++q) {
        doc->QuestionText[q] = "Q";
        doc->ChoiceCount[q] = choices[q - 1];
        doc->MultiSelect[q] = q == 3;
        // Answers already counted: merged counts land on top of them.
        for (int c = 1; c <= vev::TallySlots; ++c) doc->Tally[q][c] = q;
    }
    return doc;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = writeFuzzInput(data, size, "tally.csv");
    auto doc = survey();
    vev::SilentEvents events;
    doc->CurrentTallyFilePath = path;
    bool roundTrip = false; // the file was linked and no slot reached its limit
    try {
        vev::csvRead(*doc, events);
        const bool linked = doc->LastOperationSucceeded;
        roundTrip = linked;
        // A count held at the limit of its slot cannot be taken out exactly again.
        for (int q = 1; q <= doc->QuestionCount; ++q)
            for (int c = 1; c <= vev::TallySlots; ++c)
                if (doc->Tally[q][c] == std::numeric_limits<std::int32_t>::max() ||
                    doc->Tally[q][c] == std::numeric_limits<std::int32_t>::min())
                    roundTrip = false;
        if (!linked) doc->LinkedTallyFileCount = 1;
        vev::csvDel(*doc, events);
    } catch (const vev::VevError&) {
        roundTrip = false;
    }
    // Reading the same file in and out again leaves every count where it started.
    if (roundTrip) {
        for (int q = 1; q <= doc->QuestionCount; ++q)
            for (int c = 1; c <= vev::TallySlots; ++c)
                if (doc->Tally[q][c] != q) abort();
    }
    return 0;
}
