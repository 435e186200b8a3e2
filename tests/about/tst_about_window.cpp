#include "app/main_window.h"

#include "about/about_dialog.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace vev;
using namespace vev::test;

namespace {

void touch(const QString& path, bool executable = false) {
    QVERIFY(writeFile(path, {}));
    if (executable)
        QVERIFY(QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner));
}

QColor textColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

// Runs `inspect` on each About dialog as soon as it shows modally, then presses its OK button;
// a dialog that never shows cannot hang the test, since nothing then waits.
class AboutCloser : public QObject {
public:
    explicit AboutCloser(std::function<void(TForm3&)> inspect) : inspect_(std::move(inspect)) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* about = qobject_cast<TForm3*>(QApplication::activeModalWidget());
            if (about == nullptr) return;
            ++shown;
            connect(about, &QObject::destroyed, this, [this] { ++destroyed; });
            inspect_(*about);
            QTest::mouseClick(about->Button1, Qt::LeftButton);
        });
        timer_.start(10);
    }
    int shown = 0;
    int destroyed = 0;

private:
    std::function<void(TForm3&)> inspect_;
    QTimer timer_;
};

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowSession> s;
    FakePlatform* platform = nullptr;
    TForm1* form = nullptr;
    QString programDir;

    // The program lives in bin/ of the temporary folder, its documents under share/vev/.
    void makeWindow() {
        platform->programDir = programDir;
        s->start();
        form = s->form.get();
    }

private slots:
    void init() {
        s = std::make_unique<WindowSession>();
        QVERIFY(QDir(s->dir.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(s->dir.path()).mkpath(QStringLiteral("share/vev")));
        programDir = s->path(QStringLiteral("bin")) + QLatin1Char('/');
        platform = &s->platform;
    }

    void cleanup() { QVERIFY(s->finish()); }

    // The help document names every menu and item as the menu bar shows it: "開く(O)...".
    void menusInHelpDocument() {
        makeWindow();
        QFile file(QStringLiteral(VEV_TEST_DATA "/../../packaging/vev.htm"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString help = QString::fromUtf8(file.readAll());
        QStringList missing;
        std::function<void(const QList<QAction*>&)> visit = [&](const QList<QAction*>& actions) {
            for (const QAction* action : actions) {
                if (action->isSeparator()) continue;
                QString caption = action->text();
                caption.remove(QRegularExpression(QStringLiteral("&(?=.)")));
                if (!help.contains(caption)) missing << caption;
                if (action->menu()) visit(action->menu()->actions());
            }
        };
        visit(form->menuBar()->actions());
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }

    void aboutIsMadeFreshEachTime() {
        makeWindow();
        QStringList versions;
        AboutCloser closer([&versions](TForm3& about) {
            versions << about.Label2->text();
            about.Label2->setText(QStringLiteral("scribbled")); // must not reach the next one
        });

        form->help().About1Click();
        QCOMPARE(closer.destroyed, 1); // gone as soon as it closed
        form->help().About1Click();

        QCOMPARE(closer.shown, 2);
        QCOMPARE(closer.destroyed, 2);
        QCOMPARE(versions, (QStringList{QStringLiteral("VEV v1.11"), QStringLiteral("VEV v1.11")}));
        QVERIFY(form->findChildren<TForm3*>().isEmpty());
    }

    void aboutLayout() {
        TForm3 about(*platform);
        QCOMPARE(about.windowTitle(), QStringLiteral("VEV"));
        QCOMPARE(about.size(), QSize(197, 116));
        QCOMPARE(about.font().family(), u("ＭＳ Ｐゴシック"));
        QCOMPARE(about.font().pixelSize(), 12);
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QCOMPARE(about.Label1->text(), QString::fromUtf8("アンケート集計"));
        QCOMPARE(about.Label2->text(), QStringLiteral("VEV v0.00"));
        QCOMPARE(about.Label1->pos(), QPoint(60, 8));
        QCOMPARE(about.Label2->geometry(), QRect(20, 24, 161, 12));
        QCOMPARE(about.Label3->pos(), QPoint(38, 40));
        QCOMPARE(about.Label4->geometry(), QRect(16, 60, 166, 12));
        QVERIFY(about.Label4->alignment() & Qt::AlignHCenter);
        QVERIFY(about.Label2->font().bold());
        QVERIFY(about.Label4->font().underline());
        QCOMPARE(about.Label4->text(), TForm3::webAddress());
        QCOMPARE(about.Button1->text(), QStringLiteral("OK"));
        QCOMPARE(about.Button1->geometry(), QRect(60, 85, 75, 18));
    }

    void linkLabelColoursAndClick() {
        TForm3 about(*platform);
        about.show();
        QCOMPARE(textColour(about.Label4), QColor(0, 0, 255));

        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(about.Label4, &enter);
        QCOMPARE(textColour(about.Label4), QColor(255, 0, 255));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(about.Label4, &leave);
        QCOMPARE(textColour(about.Label4), QColor(0, 0, 255));

        QTest::mouseClick(about.Label4, Qt::LeftButton);
        QCOMPARE(platform->shellOpened, QStringList{TForm3::webAddress()});
        QVERIFY(about.isVisible()); // the dialog stays open
    }

    void helpDocument_data() {
        QTest::addColumn<QString>("placedAt"); // relative to the temporary folder; "" = nowhere
        QTest::newRow("beside the program") << "bin/vev.htm";
        QTest::newRow("installed under share") << "share/vev/vev.htm";
        QTest::newRow("missing: nothing happens") << "";
    }
    void helpDocument() {
        QFETCH(QString, placedAt);
        if (!placedAt.isEmpty()) touch(s->path(placedAt));
        makeWindow();

        form->help().ManualClick();

        if (placedAt.isEmpty())
            QVERIFY(platform->shellOpened.isEmpty());
        else
            QCOMPARE(platform->shellOpened, QStringList{s->path(placedAt)});
        QVERIFY(platform->messages.isEmpty());
    }

    void latestVersionPage() {
        makeWindow();
        form->help().ZAMwebClick();
        QCOMPARE(platform->shellOpened.size(), 1);
        QVERIFY(platform->shellOpened.first().startsWith(QStringLiteral("https://")));
        QVERIFY(platform->shellOpened.first().contains(QStringLiteral(".example.org/")));
    }

    void timerTool_data() {
        QTest::addColumn<bool>("installed");
        QTest::newRow("installed beside the program") << true;
        QTest::newRow("not installed") << false;
    }
    void timerTool() {
        QFETCH(bool, installed);
        const QString tool = programDir + QStringLiteral("davad");
        if (installed) touch(tool, true);
        makeWindow();
        QCOMPARE(s->DAVAD()->isEnabled(), installed);

        // Installing it later does not enable the item.
        if (!installed) touch(tool, true);
        QCOMPARE(s->DAVAD()->isEnabled(), installed);

        form->help().DAVADClick();
        QCOMPARE(platform->programsStarted,
                 (QList<QStringList>{
                     {tool, QStringLiteral("/w"), QStringLiteral("/s"), QStringLiteral("/n")}}));
        QVERIFY(platform->messages.isEmpty());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about_window.moc"
