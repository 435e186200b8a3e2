#include "keying/grid_header.h"

#include "keying/question_grid.h"
#include "model/paths.h"
#include "model/sjis.h"

#include <QFontInfo>
#include <QLabel>

namespace vev {

namespace {

void setTextIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

} // namespace

void GridHeader::create(QWidget* canvas) {
    Label1 = look::placedLabel(canvas, QStringLiteral("Label1"), {10, 3, 461, 15},
                               QString::fromUtf8("ｱﾝｹｰﾄ：ファイルを開いて下さい"));
    Label1->setFont(look::proportionalFont(15, true));
    look::fitLineHeight(Label1);
    look::setColours(Label1, QColor(0, 0, 255));
    Label2 = look::placedLabel(canvas, QStringLiteral("Label2"), {480, 3, 311, 15},
                               QString::fromUtf8("ﾌｧｲﾙ："));
    Label2->setFont(look::proportionalFont(15, true));
    look::fitLineHeight(Label2);
    look::setColours(Label2, QColor(0, 128, 0));
    TestLabel = look::placedLabel(canvas, QStringLiteral("TestLabel"), {480, 0, 8, 12},
                                  QStringLiteral("  "));

    // 17 blanks, the question column, 6 blanks, an ideographic space, 7 blanks, the answers.
    Label5 = look::placedLabel(canvas, QStringLiteral("Label5"), {10, 20, 255, 20},
                               QString(17, QLatin1Char(' ')) + QString::fromUtf8("質問内容") +
                                   QString(6, QLatin1Char(' ')) + QString::fromUtf8("　") +
                                   QString(7, QLatin1Char(' ')) + QString::fromUtf8("選択番号"));
    Label5->setFont(look::proportionalFont(13, false));
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    look::setColours(Label5, QColor(255, 255, 255), QColor(160, 160, 160));
    Label5->hide();
    Label4 = look::placedLabel(canvas, QStringLiteral("Label4"), {266, 20, 508, 20},
                               QString::fromUtf8("集 計 結 果"));
    Label4->setFont(look::proportionalFont(13, false));
    Label4->setAlignment(Qt::AlignCenter);
    look::setColours(Label4, QColor(192, 192, 192), QColor(128, 128, 128));
    Label4->hide();
}

void GridHeader::showEmpty() {
    Label4->hide();
    Label5->hide();
    Label2->clear();
    Label1->setText(QString::fromUtf8("ｱﾝｹｰﾄ：ファイルを開いて下さい"));
}

void GridHeader::showSurvey(const SurveyDocument& doc) {
    setTextIfChanged(Label1, QString::fromUtf8("　　　　　　　 　ｱﾝｹｰﾄ：") +
                                 sjis::toQString(doc.SurveyTitle.view()));
    setTextIfChanged(Label2, QString::fromUtf8("ﾌｧｲﾙ：") +
                                 paths::toQString(paths::fileNamePart(doc.DataFilePath)));
    Label4->show();
    Label5->show();
}

void GridHeader::setSurveyLine(const QString& text) {
    Label1->setText(text);
}

void GridHeader::setFileLine(const QString& text) {
    Label2->setText(text);
}

int GridHeader::realisedFontPixels() const {
    return QFontInfo(TestLabel->font()).pixelSize();
}

} // namespace vev
