#pragma once

// The two double-entry commands, for the main window's menus. They take what they need from the
// main window as arguments; failures to write (VevError) go to the caller's handler wrapper.

#include "double_entry/compare_dialog.h"

#include <QString>

#include <functional>

class QWidget;

namespace vev {

class Platform;
struct SurveyDocument;

// File menu "照合用に新規作成(&V)...": a Save dialog proposing "<data file>_2.dat"; writes the
// open questionnaire with no answers there and calls openFile with the written path, which opens
// it the way Open does after its dialog (the caller asks about unsaved changes first). The open
// survey's own file is never overwritten: choosing it shows a message and writes nothing.
// Returns the written path, empty when nothing was written.
QString newSecondEntryFile(SurveyDocument& doc, Platform& platform, QWidget* parent,
                           const std::function<void(const QString& path)>& openFile);

// Edit menu "入力照合(&C)...": an Open dialog for the other data file; a refused file or a
// different questionnaire is shown in a message box (the open survey is untouched), otherwise
// the modeless comparison dialog opens (deleted when closed) and is returned.
CompareDialog* compareWithOtherFile(SurveyDocument& doc, Platform& platform, QWidget* parent,
                                    CompareDialog::Jump jump);

} // namespace vev
