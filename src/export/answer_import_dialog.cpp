#include "export/answer_import_dialog.h"

#include "model/paths.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vev {

AnswerImportDialog::AnswerImportDialog(const ImportPreview& preview, const QString& fileName,
                                       QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("AnswerImportDialog"));
    setWindowTitle(QString::fromUtf8("回答データ読み込み"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    QString summary = fileName + QLatin1Char('\n');
    if (preview.added() > 0)
        summary += QString::fromUtf8("%1人の回答者を追加します（回答者番号%2～%3）。")
                       .arg(preview.added())
                       .arg(preview.FirstRespondent)
                       .arg(preview.FirstRespondent + preview.added() - 1);
    else
        summary += QString::fromUtf8("追加できる回答者はありません。");
    if (!preview.Refused.empty())
        summary += QLatin1Char('\n') +
                   QString::fromUtf8("次の%1行は読み込みません。").arg(preview.Refused.size());
    Summary = new QLabel(summary, this);
    Summary->setObjectName(QStringLiteral("Summary"));

    Refused = new QTableWidget(static_cast<int>(preview.Refused.size()), 2, this);
    Refused->setObjectName(QStringLiteral("Refused"));
    Refused->setHorizontalHeaderLabels({QString::fromUtf8("行"), QString::fromUtf8("理由")});
    Refused->verticalHeader()->setVisible(false);
    Refused->horizontalHeader()->setStretchLastSection(true);
    Refused->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < static_cast<int>(preview.Refused.size()); ++i) {
        const ImportRefusal& refusal = preview.Refused[static_cast<std::size_t>(i)];
        Refused->setItem(i, 0, new QTableWidgetItem(QString::number(refusal.Line)));
        Refused->setItem(i, 1, new QTableWidgetItem(refusal.Reason));
    }
    Refused->setVisible(!preview.Refused.empty());

    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setObjectName(QStringLiteral("Buttons"));
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(preview.added() > 0);
    Buttons->button(QDialogButtonBox::Cancel)->setDefault(preview.added() == 0);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Summary);
    layout->addWidget(Refused);
    layout->addWidget(Buttons);
    resize(480, preview.Refused.empty() ? 120 : 320);
}

ImportedRange importAnswersCommand(
    SurveyDocument& doc, Platform& platform, SurveyView& view,
    const std::function<bool(const ImportPreview&, const QString&)>& confirm) {
    if (!doc.questionnaireLoaded()) return {};
    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("回答データ読み込み");
    dialog.filter = QString::fromUtf8("CSV(*.csv)|*.csv|すべてのファイル(*.*)|*.*");
    dialog.defaultSuffix = QStringLiteral("csv");
    const QStringList chosen = platform.chooseOpenFiles(view.dialogParent(), dialog);
    if (chosen.isEmpty()) return {};

    const ImportPreview preview = previewAnswerImportFile(doc, paths::fromQString(chosen[0]));
    const QString name = QFileInfo(chosen[0]).fileName();
    const bool confirmed = confirm ? confirm(preview, name) : [&] {
        AnswerImportDialog box(preview, name, view.dialogParent());
        return box.exec() == QDialog::Accepted;
    }();
    if (!confirmed || preview.added() == 0) return {};
    const ImportedRange range = applyAnswerImport(doc, preview, view);
    view.showCurrentRespondent();
    return range;
}

} // namespace vev

#include "moc_answer_import_dialog.cpp"
