#include "app/main_window.h"
#include "editor/editor_dialog.h"
#include "linked/linked_list_dialog.h"
#include "platform/qt_platform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QTranslator>

#include <memory>

namespace {

// The style, less the menu bar's extension-button icon, which it would read at once through the
// image format plugins (loading every one, and Qt Svg with them) for a button that shows only
// when the menus do not fit the window. Every other icon is the style's own.
class StartStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (icon == SP_ToolBarHorizontalExtensionButton) return {};
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setStyle(new StartStyle);
    QApplication::setApplicationName(QStringLiteral("VEV"));

    // Qt's own dialog buttons in Japanese where the translations are installed.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    vev::QtPlatform platform;
    // The survey's fixed tables are large: they live on the heap for the whole run.
    auto doc = std::make_unique<vev::SurveyDocument>();
    vev::TForm1 form1(*doc, platform, QApplication::arguments().mid(1));
    // Created hidden after the main window's start-up load; owned by the main window.
    auto* form2 = new vev::TForm2(*doc, platform, form1, &form1);
    auto* form4 = new vev::TForm4(*doc, platform, form1, &form1);
    form2->hide();
    form4->hide();
    form1.attachDialogs(form2, form4);
    form1.show();
    return app.exec();
}
