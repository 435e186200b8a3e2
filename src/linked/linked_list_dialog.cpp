#include "linked/linked_list_dialog.h"

#include "linked/linked_commands.h"
#include "linked/tally_file.h"
#include "model/paths.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace vev {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int DataRole = Qt::UserRole + 1; // true: a linked data file, not a tally file

// Items sort by file name as a desktop lists files: case-insensitively, then by case.
class NameItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem& other) const override {
        const int c = text().compare(other.text(), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : text() < other.text();
    }
};

QString itemPath(const QListWidgetItem* item) {
    return item->data(PathRole).toString();
}

void setPixelHeight(QWidget* widget, int pixels) {
    QFont font = widget->font();
    font.setPixelSize(pixels);
    widget->setFont(font);
}

} // namespace

TForm4::TForm4(SurveyDocument& doc, Platform& platform, SurveyView& view, QWidget* parent)
    : QDialog(parent), doc_(doc), platform_(platform), view_(view) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QString::fromUtf8("集計ファイルの追加と削除"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);
    setFixedSize(292, 126);
    QFont formFont(QString::fromUtf8("ＭＳ Ｐゴシック")); // the desktop substitutes its own
    formFont.setPixelSize(12);
    setFont(formFont);

    Label1 = new QLabel(QString::fromUtf8("追加してある集計ファイル"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    setPixelHeight(Label1, 13);
    Label1->move(20, 10);
    Label1->adjustSize();

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(15, 30, 175, 81);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setSortingEnabled(true);
    ListBox1->setUniformItemSizes(true);
    setPixelHeight(ListBox1, 15);

    Button1 = new QPushButton(QString::fromUtf8("一覧に追加"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(200, 40, 81, 21);
    Button1->setAutoDefault(false);

    Button2 = new QPushButton(QString::fromUtf8("一覧から削除"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(200, 80, 81, 21);
    Button2->setAutoDefault(false);

    connect(Button1, &QPushButton::clicked, this,
            [this] { view_.runGuarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { view_.runGuarded([this] { Button2Click(); }); });
}

void TForm4::insertItem(const std::string& path, int dataRespondents) {
    const QString full = paths::toQString(path);
    QString text = QFileInfo(full).fileName();
    if (dataRespondents >= 0) text += QString::fromUtf8("（%1人）").arg(dataRespondents);
    auto* item = new NameItem(text);
    item->setData(PathRole, full);
    item->setData(DataRole, dataRespondents >= 0);
    ListBox1->addItem(item); // the list sorts it into place
}

void TForm4::storeLinksInListOrder() {
    SurveyDocument& doc = doc_;
    int i = 0;
    for (int row = 0; row < ListBox1->count() && i < doc.LinkedTallyFileCount; ++row)
        if (!ListBox1->item(row)->data(DataRole).toBool())
            doc.LinkedTallyFile[++i] = paths::fromQString(itemPath(ListBox1->item(row)));
}

void TForm4::refill() {
    const SurveyDocument& doc = doc_;
    ListBox1->clear();
    for (int i = 1; i <= doc.LinkedTallyFileCount; ++i) insertItem(doc.LinkedTallyFile[i]);
    for (const LinkedDataFile& link : doc.LinkedDataFiles)
        insertItem(link.Path, link.Doc ? link.Doc->RespondentCount : 0);
    storeLinksInListOrder();
}

void TForm4::showActive() {
    show();
    raise();
    activateWindow();
    ListBox1->setFocus();
}

void TForm4::refillIfShowing() {
    if (isVisible()) refill();
}

void TForm4::addLinked(const std::string& path) {
    insertItem(path);
    storeLinksInListOrder();
}

void TForm4::Button1Click() {
    LinkedCommands(doc_, platform_, view_, this).CsvR1Click();
}

void TForm4::Button2Click() {
    SurveyDocument& doc = doc_;
    if (ListBox1->currentItem() == nullptr) return;

    const auto selected = ListBox1->selectedItems().size();
    int removedAt = -1;
    for (qsizetype k = 0; k < selected; ++k) {
        const int limit = ListBox1->count();
        int row = -1;
        for (int i = 0; i < limit; ++i) {
            if (ListBox1->item(i)->isSelected()) {
                row = i;
                break;
            }
        }
        if (row < 0) break;

        const std::string path = paths::fromQString(itemPath(ListBox1->item(row)));
        if (ListBox1->item(row)->data(DataRole).toBool()) {
            // Its removal refills the list, which ends the selection: one data file a press.
            delete ListBox1->takeItem(row);
            if (data_) data_->removeDataFile(path);
            removedAt = row;
            break;
        }
        // The item goes only once the counts are out: a file that cannot be read stays listed,
        // just as it stays linked. The links were in list order, and stay so.
        if (!unlinkTallyFile(doc, path, view_)) { // never subtract a file that is not linked
            refill();
            return;
        }
        delete ListBox1->takeItem(row);
        if (unlinked_) unlinked_(path);
        removedAt = row;
    }

    // Leave one item selected so that the operator can go on removing.
    if (removedAt < 0 || ListBox1->count() == 0) return;
    ListBox1->setCurrentRow(std::min(removedAt, ListBox1->count() - 1),
                            QItemSelectionModel::ClearAndSelect);
}

} // namespace vev

#include "moc_linked_list_dialog.cpp"
