#pragma once

#include "model/survey_document.h"

#include <QString>

class QLabel;
class QWidget;

namespace vev {

// The header on the grid's client area, above the rows: the survey line Label1, the file line
// Label2, the column headers Label5 (questions and answer boxes) and Label4 (counts), and
// TestLabel, which measures the font the system realised.
class GridHeader {
public:
    void create(QWidget* canvas); // the labels, each named by its objectName
    // No questionnaire: column headers hidden, file line empty, survey line "ファイルを開いて下さい".
    void showEmpty();
    // The document's title and data file's name, column headers shown; a line whose text is
    // unchanged is not set again.
    void showSurvey(const SurveyDocument& doc);
    void setSurveyLine(const QString& text);
    void setFileLine(const QString& text);
    int realisedFontPixels() const; // the pixel height of the window's 12 px font as drawn

private:
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* TestLabel = nullptr;
};

} // namespace vev
