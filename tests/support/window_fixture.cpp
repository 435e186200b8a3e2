#include "window_fixture.h"

#include "app/main_window.h"
#include "editor/editor_dialog.h"
#include "keying/h_spinner.h"
#include "linked/linked_list_dialog.h"
#include "model/data_file.h"
#include "model/sjis.h"
#include "survey/journal.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <algorithm>

namespace vev::test {

namespace {
// Sessions alive at once (a test may compare two runs): a session that ends while another one
// still shows its windows cannot ask for no top-level window at all.
int liveSessions = 0;
} // namespace

QString tallyFilter() {
    return u("集計ファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*");
}

QStringList fields(const FakePlatform::ShownDialog& shown) {
    return {shown.save ? QStringLiteral("save") : QStringLiteral("open"),
            shown.dialog.title,
            shown.dialog.filter,
            shown.dialog.defaultSuffix,
            shown.dialog.fileName,
            shown.dialog.multiple ? QStringLiteral("multiple") : QStringLiteral("single")};
}

QStringList tallyDialog(bool save, const char* title, const QString& fileName, bool multiple) {
    return fields({save, {u(title), tallyFilter(), QStringLiteral("csv"), fileName, multiple}});
}

void typeInto(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
        const QString chunk = text.mid(i, n);
        i += n - 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, chunk);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, chunk);
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

QStringList menuCaptions(const QMenu* menu) {
    QStringList captions;
    for (const QAction* action : menu->actions())
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return captions;
}

QList<QWidget*> tabWalk(QWidget* from, int limit) {
    from->setFocus(Qt::OtherFocusReason);
    QList<QWidget*> visited;
    for (int i = 0; i < limit; ++i) {
        QTest::keyClick(from->window()->focusWidget(), Qt::Key_Tab);
        visited << from->window()->focusWidget();
        if (visited.last() == from) break;
    }
    return visited;
}

void pressMnemonic(QWidget* window, char letter) {
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, letter, Qt::AltModifier);
}

QString mnemonicLetters(const QWidget* window) {
    QString letters;
    const auto add = [&letters](const QString& text) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty()) letters += QChar(key[0].key());
    };
    for (const QLabel* label : window->findChildren<QLabel*>())
        if (label->window() == window) add(label->text());
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->window() == window) add(button->text());
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>())
        for (const QAction* menu : bar->actions()) add(menu->text());
    std::sort(letters.begin(), letters.end());
    return letters;
}

void setLunchQuestionnaire(SurveyDocument& doc) {
    doc.SurveyTitle = "Lunch survey";
    doc.VersionString = VevVersion;
    doc.QuestionCount = 2;
    doc.QuestionText[1] = "Q-one";
    doc.ChoiceCount[1] = 2;
    doc.QuestionText[2] = "Q-two";
    doc.ChoiceCount[2] = 3;
}

std::unique_ptr<SurveyDocument> replayedSurvey(const QString& dataFile, const QString& journal) {
    auto doc = std::make_unique<SurveyDocument>();
    doc->OpenRequestPath = native(dataFile);
    SilentEvents events;
    Loaddatafile(*doc, events);
    replayJournal(*doc, readJournal(native(journal)).records, events);
    return doc;
}

QByteArray lunchTallyFile(const QByteArray& title, const QList<int>& one, const QList<int>& two) {
    const auto n = [](int count) { return QByteArray::number(count); };
    const QByteArray lines[] = {
        title + ",," + sj("　") + "2026/12/07",
        "",
        "  ,\"" + sj("質問内容            ") + "\",   1,   2,   3,  NG",
        " 1,\"Q-one               \"," + n(one[0]) + "," + n(one[1]) + ",    ," + n(one[2]),
        " 2,\"Q-two               \"," + n(two[0]) + "," + n(two[1]) + "," + n(two[2]) + "," +
            n(two[3]),
        "",
        "other.dat by VEV",
    };
    QByteArray file;
    for (const QByteArray& line : lines) file += line + "\r\n";
    return file;
}

WindowSession::WindowSession() : previousFolder(QDir::currentPath()) {
    platform.programDir = dir.path() + QLatin1Char('/');
    ++liveSessions;
}

WindowSession::~WindowSession() {
    if (form && !finished_) {
        QString why;
        const bool ok = liveSessions > 1 ? platform.verifyDone(&why) : finish(&why);
        if (!ok) QTest::qFail(qPrintable(why), __FILE__, __LINE__);
    }
    form.reset();
    // A session ends as a closed window, not a crash: its untitled journal must not be offered
    // to the next session of the test.
    const QDir state(QFileInfo(QString::fromStdString(untitledJournalPath(0))).path());
    for (const QString& name : state.entryList(
             {QStringLiteral("untitled-%1-*.journal").arg(QCoreApplication::applicationPid())}))
        QFile::remove(state.filePath(name));
    QDir::setCurrent(previousFolder);
    --liveSessions;
}

std::string WindowSession::nativePath(const char* name) const {
    return QFile::encodeName(path(QLatin1String(name))).toStdString();
}

QString WindowSession::place(const char* testDataName, const QString& as) const {
    const QString target = path(as.isEmpty() ? QLatin1String(testDataName) : as);
    return QFile::copy(testData(testDataName), target) ? target : QString();
}

void WindowSession::start(const QStringList& arguments) {
    form = std::make_unique<TForm1>(*doc, platform, arguments);
    editor = new TForm2(*doc, platform, *form, form.get());
    list = new TForm4(*doc, platform, *form, form.get());
    editor->hide();
    list->hide();
    form->attachDialogs(editor, list);
}

bool WindowSession::showActive() {
    form->show();
    form->activateWindow();
    return QTest::qWaitForWindowActive(form.get());
}

void WindowSession::stand(int r, int q) {
    doc->CurrentRespondent = r;
    UpDown1()->setPosition(r);
    form->hitoribun();
    QTest::mouseClick(sn(q), Qt::LeftButton);
}

bool WindowSession::type(const QString& keys) {
    bool intoBoxes = true;
    for (const QChar c : keys) {
        QWidget* target = QApplication::focusWidget();
        intoBoxes = intoBoxes && qobject_cast<QLineEdit*>(target);
        if (c == QLatin1Char('\r'))
            QTest::keyClick(target, Qt::Key_Return);
        else if (c == QLatin1Char('\b'))
            QTest::keyClick(target, Qt::Key_Backspace);
        else
            QTest::keyClick(target, c.toLatin1());
    }
    return intoBoxes;
}

void WindowSession::key(Qt::Key k) {
    QTest::keyClick(QApplication::focusWidget(), k);
}

QLineEdit* WindowSession::focused() const {
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

QWidget* WindowSession::canvas() const {
    return form->findChild<QWidget*>(QStringLiteral("canvas"));
}
QScrollArea* WindowSession::scrollArea() const {
    return form->findChild<QScrollArea*>(QStringLiteral("scrollArea"));
}
QWidget* WindowSession::control(const char* name) const {
    return canvas()->findChild<QWidget*>(QLatin1String(name));
}
QAction* WindowSession::action(const char* name) const {
    return form->findChild<QAction*>(QLatin1String(name));
}
QMenu* WindowSession::menu(const char* name) const {
    return form->findChild<QMenu*>(QLatin1String(name));
}
QWidget* WindowSession::q(int n) const {
    return canvas()->findChild<QWidget*>(QStringLiteral("q%1").arg(n));
}
QLabel* WindowSession::no(int n) const {
    return canvas()->findChild<QLabel*>(QStringLiteral("no%1").arg(n));
}
QLineEdit* WindowSession::sn(int n) const {
    return canvas()->findChild<QLineEdit*>(QStringLiteral("sn%1").arg(n));
}
QLabel* WindowSession::af(int n) const {
    return canvas()->findChild<QLabel*>(QStringLiteral("af%1").arg(n));
}
QLabel* WindowSession::ad(int n) const {
    return canvas()->findChild<QLabel*>(QStringLiteral("ad%1").arg(n));
}
QLabel* WindowSession::Label1() const {
    return qobject_cast<QLabel*>(control("Label1"));
}
QLabel* WindowSession::Label2() const {
    return qobject_cast<QLabel*>(control("Label2"));
}
QLabel* WindowSession::Label3() const {
    return qobject_cast<QLabel*>(control("Label3"));
}
QLabel* WindowSession::Label4() const {
    return qobject_cast<QLabel*>(control("Label4"));
}
QLabel* WindowSession::Label5() const {
    return qobject_cast<QLabel*>(control("Label5"));
}
HSpinner* WindowSession::UpDown1() const {
    return canvas()->findChild<HSpinner*>(QStringLiteral("UpDown1"));
}
QLineEdit* WindowSession::Edit2() const {
    return qobject_cast<QLineEdit*>(control("Edit2"));
}
QPushButton* WindowSession::Button1() const {
    return qobject_cast<QPushButton*>(control("Button1"));
}

bool WindowSession::done() const {
    QString why;
    const bool ok = platform.verifyDone(&why);
    if (!ok) qWarning("%s", qPrintable(why));
    return ok;
}

bool WindowSession::finish(QString* why) {
    if (!why) {
        QString reason;
        const bool ok = finish(&reason);
        if (!ok) qWarning("%s", qPrintable(reason));
        return ok;
    }
    const bool scriptDone = platform.verifyDone(why);
    finished_ = true;
    form.reset();
    editor = nullptr;
    list = nullptr;
    QDir::setCurrent(previousFolder);
    if (!QTest::qWaitFor([] { return QApplication::topLevelWidgets().isEmpty(); })) {
        *why += QStringLiteral("; a top-level window is left open");
        return false;
    }
    return scriptDone;
}

} // namespace vev::test
