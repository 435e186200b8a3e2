#pragma once

#include "linked/data_link_commands.h"
#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QListWidget;
class QPushButton;

namespace vev {

// The linked tally file list "集計ファイルの追加と削除": modeless, on top, created hidden at
// start-up and kept for the whole run.
//
// The list shows file names, sorted, the linked data files among them with their respondent
// counts ("name（N人）"); each item also keeps the full path it was linked under,
// so the links are rewritten from the list in its order without guessing folders from the
// process's current folder (which any file dialog may have moved elsewhere).
class TForm4 : public QDialog {
    Q_OBJECT

public:
    TForm4(SurveyDocument& doc, Platform& platform, SurveyView& view, QWidget* parent = nullptr);

    // Fills the list from the document's links and rewrites the links in list order.
    void refill();
    // Shows the window, raised and active: the next key goes to the list, not to the grid
    // behind it. The main window stays usable.
    void showActive();
    // Refills the list when it is showing (the links were dropped or replaced).
    void refillIfShowing();
    // A file the add command has just linked: its name joins the list, the links follow it.
    void addLinked(const std::string& path);

    void Button1Click(); // "一覧に追加": the add command of the Edit menu
    void Button2Click(); // "一覧から削除"

    // Called after each file taken out of the counts and the list, with its path.
    void setUnlinked(std::function<void(const std::string&)> unlinked) {
        unlinked_ = std::move(unlinked);
    }
    // What takes a linked data file out (LinkedCommands sets it with the list).
    void setDataCommands(DataLinkCommands* data) { data_ = data; }

    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

private:
    void insertItem(const std::string& path, int dataRespondents = -1);
    // LinkedTallyFile[i] := the path of list item i.
    void storeLinksInListOrder();

    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
    std::function<void(const std::string&)> unlinked_;
    DataLinkCommands* data_ = nullptr;
};

} // namespace vev
