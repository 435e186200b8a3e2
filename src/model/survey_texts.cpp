#include "model/survey_texts.h"

#include "model/number_text.h"
#include "model/sjis.h"

#include <QStringList>

#include <algorithm>
#include <charconv>

namespace vev {

namespace {

struct Markers {
    std::string wording = sjis::fromUtf8("質問文："); // the full-width colon 0x81 0x46
    std::string choice = sjis::fromUtf8("選択肢：");
};

const Markers& markers() {
    static const Markers m;
    return m;
}

// A number of the line and the comma after it: digits only. Returns 0 (no such question or
// choice) for anything else, and moves past the comma.
int takeNumber(std::string_view& rest) {
    const std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos || comma == 0 || comma > 3) return 0;
    int value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + comma, value);
    if (error != std::errc() || end != rest.data() + comma) return 0;
    rest.remove_prefix(comma + 1);
    return value;
}

int textChoices(const SurveyDocument& doc, int q) {
    return std::clamp(doc.ChoiceCount[q], 0, MaxTextChoices);
}

} // namespace

StoredText storedText(const QString& entered, std::size_t limit) {
    StoredText out;
    if (entered.contains(QLatin1Char('\r')) || entered.contains(QLatin1Char('\n'))) {
        out.Refusal = TextRefusal::LineBreak;
        return out;
    }
    if (!sjis::canEncode(entered)) {
        out.Refusal = TextRefusal::NotShiftJis;
        return out;
    }
    std::string bytes = sjis::fromQString(entered);
    // Control bytes are never part of a two-byte character, so they are replaced byte by byte.
    std::replace_if(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; },
        ' ');
    out.Bytes = sjis::cutBytes(bytes, limit);
    out.Cut = out.Bytes.size() != bytes.size();
    return out;
}

std::optional<QString> firstCharacterWithoutShiftJis(const QString& text) {
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        if (!sjis::canEncode(character)) return character;
        i += length;
    }
    return std::nullopt;
}

void appendTextTrailerLines(std::string& out, const SurveyDocument& doc) {
    const Markers& m = markers();
    for (int q = 1; q <= std::min(doc.QuestionCount, MaxQuestions); ++q) {
        if (!doc.Texts.Wording[q].empty()) {
            out += m.wording;
            appendDecimal(out, q);
            out += ',';
            out += doc.Texts.Wording[q].view();
            out += "\r\n";
        }
        for (int c = 1; c <= textChoices(doc, q); ++c) {
            if (doc.Texts.Choice[q][c].empty()) continue;
            out += m.choice;
            appendDecimal(out, q);
            out += ',';
            appendDecimal(out, c);
            out += ',';
            out += doc.Texts.Choice[q][c].view();
            out += "\r\n";
        }
    }
}

bool readTextTrailerLine(SurveyDocument& doc, std::string_view line) {
    const Markers& m = markers();
    // Both markers stand at the start of the line, where every character starts.
    const bool wording = line.starts_with(m.wording);
    if (!wording && !line.starts_with(m.choice)) return false;
    std::string_view rest = line.substr(wording ? m.wording.size() : m.choice.size());
    const int q = takeNumber(rest);
    if (q < 1 || q > doc.QuestionCount) return true;
    if (wording) {
        doc.Texts.Wording[q] = sjis::cutBytes(rest, MaxWordingBytes);
        return true;
    }
    const int c = takeNumber(rest);
    if (c < 1 || c > textChoices(doc, q)) return true;
    doc.Texts.Choice[q][c] = sjis::cutBytes(rest, MaxChoiceTextBytes);
    return true;
}

QString choiceLabel(const SurveyDocument& doc, int q, int c) {
    QString label = QString::number(c);
    if (doc.ChoiceCount[q] < 2 || c < 1 || c > std::min(doc.ChoiceCount[q], MaxTextChoices))
        return label;
    const auto& text = doc.Texts.Choice[q][c];
    if (!text.empty()) label += QLatin1Char(' ') + sjis::toQString(text.view());
    return label;
}

QString choicesLine(const SurveyDocument& doc, int q) {
    if (q < 1 || q > doc.QuestionCount || doc.ChoiceCount[q] < 2) return {};
    const int k = std::min(doc.ChoiceCount[q], MaxTextChoices);
    bool anyText = false;
    QStringList labels;
    for (int c = 1; c <= k; ++c) {
        anyText = anyText || !doc.Texts.Choice[q][c].empty();
        labels << choiceLabel(doc, q, c);
    }
    return anyText ? labels.join(QChar(0x3000)) : QString();
}

} // namespace vev
