#pragma once

#include "platform/platform.h"
#include "platform/survey_view.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vev {

// The platform of the window tests. Every message box and file dialog must have been announced
// with expect...(); one that was not fails the test (QFAIL-style, recorded in failures) and is
// answered with Cancel. Everything else (shell open, started programs, beeps, pauses) is
// recorded for the test to look at.
class FakePlatform : public Platform {
public:
    struct ShownMessage {
        QString caption;
        QString text;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        bool positioned = false;
    };
    struct ShownDialog {
        bool save = false;
        FileDialog dialog;
    };

    // Scripted answers, consumed in order.
    void expectMessage(Answer answer);              // next message box is answered so
    void expectPositionedMessage();                 // next positioned message (always OK)
    void expectOpenFiles(const QStringList& files); // empty list = cancel
    void expectSaveFile(const QString& file);       // empty = cancel

    // What happened.
    QList<ShownMessage> messages;
    QList<ShownDialog> dialogs;
    QStringList shellOpened;
    QList<QStringList> programsStarted; // program first, then its arguments
    int beeps = 0;
    int pauses = 0;
    QStringList failures; // unexpected dialogs; a test checks verifyDone()

    QString today = QStringLiteral("2026/12/07");
    QString programDir; // ends in '/'; defaults to the test's current folder at construction

    FakePlatform();

    // QVERIFY-able: every scripted answer used and nothing unexpected shown.
    bool verifyDone(QString* why = nullptr) const;

    Answer messageBox(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                      Buttons buttons) override;
    void positionedMessage(QWidget* mainWindow, const QString& text) override;
    QStringList openFiles(QWidget* parent, const FileDialog& dialog) override;
    QString saveFile(QWidget* parent, const FileDialog& dialog) override;
    void shellOpen(const QString& target) override { shellOpened << target; }
    void startProgram(const QString& program, const QStringList& arguments) override {
        programsStarted << (QStringList{program} + arguments);
    }
    void beep() override { ++beeps; }
    void pause100ms() override { ++pauses; }
    QString shortDate() override { return today; }
    QString programDirectory() override { return programDir; }

private:
    enum class Kind { Message, Positioned, Open, Save };
    struct Script {
        Kind kind;
        Answer answer = Answer::Ok;
        QStringList files;
    };
    QList<Script> script_;
    Script take(Kind kind, const QString& what);
};

namespace test {

// A SurveyView without a window, for a command run on its own: it guards as the window does
// and shows nothing.
class HeadlessView : public SurveyView {
public:
    explicit HeadlessView(Platform& platform) : platform_(platform) {}
    QWidget* dialogParent() override { return nullptr; }
    void runGuarded(const std::function<void()>& handler) override {
        platform_.runGuarded(nullptr, handler);
    }
    void notice(const QString&) override {}
    void informationBeep() override {}
    void tallyChanged(int) override {}
    void refreshQuestionnaire() override {}
    void showCurrentRespondent() override {}
    void showRespondent(int, int) override {}
    void focusCurrentQuestion() override {}
    bool currentRowShown() const override { return false; }
    void showEmptyLook() override {}
    void setCaption(const QString&) override {}
    void setSurveyLine(const QString&) override {}
    void setFileLine(const QString&) override {}
    void linkedFilesChanged() override {}
    void showLoadedSurvey(bool, int) override {}
    void showReplayedSurvey() override {}
    void showNewSurvey() override {}

private:
    Platform& platform_;
};

} // namespace test
} // namespace vev
