#include "UiSetup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace UiSetup {

void registerFontSubstitutes()
{
    // 黑体 and 宋体 print Latin letters and digits half an em wide, and the reports' columns
    // are laid out for that (a 12-character phone number fills its column): the CJK fonts
    // whose Latin is half an em wide come first.
    const QStringList sans = {QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("Noto Sans CJK SC"),
                              QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")};
    const QStringList serif = {QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                               QStringLiteral("Noto Sans CJK SC"), QStringLiteral("AR PL UMing CN")};
    QFont::insertSubstitutions(QStringLiteral("黑体"), sans);
    QFont::insertSubstitutions(QStringLiteral("SimHei"), sans);
    QFont::insertSubstitutions(QStringLiteral("宋体"), serif);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), serif);
}

void chooseChineseSystemLocale()
{
    if (!qEnvironmentVariableIsEmpty("LC_ALL"))
        return;
    for (const char* category : {"LC_TIME", "LC_NUMERIC", "LC_MESSAGES"})
        qputenv(category, QByteArrayLiteral("zh_CN.UTF-8"));
}

void prepareApplication(QApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase_zh_CN", "qt_zh_CN"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QString::fromLatin1(catalogue), translations))
            app.installTranslator(translator);
        else
            delete translator;
    }
    registerFontSubstitutes();
    QFont font(QStringLiteral("Noto Sans CJK SC"), 10);
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
}

} // namespace UiSetup
