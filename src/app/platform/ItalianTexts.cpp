// All platforms, checked with Qt 6.4.2: Qt's own texts in Italian whatever the locale, and no
// settings files of Qt's dialogs.
#include "app/Platform.h"
#include <QAccessible>
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace Platform {

namespace {
// Kept on the application object: the translation belongs to it, and goes with it.
const char *const ItalianLoaded = "calcolino.qtItalian";

// Assistive technology reads the names of the toolkit's actions ("Premi"): they are Italian from
// the moment it connects.
class AccessibilityWatch : public QAccessible::ActivationObserver {
public:
    void accessibilityActiveChanged(bool active) override
    {
        if (active)
            italianQtTexts();
    }
};
}

void noSettingsFiles()
{
    // No file can ever be made under /dev/null.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
}

void italian(QApplication &)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    static AccessibilityWatch watch;
    QAccessible::installActivationObserver(&watch);
}

void italianQtTexts()
{
    if (!qApp || qApp->property(ItalianLoaded).toBool())
        return;
    qApp->setProperty(ItalianLoaded, true);
    auto *qt = new QTranslator(qApp);
    if (!qt->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return;
    }
    QApplication::installTranslator(qt);
    // The windows open now hear of the new language at once: heard later, it would reach a
    // dialog made meanwhile as their child and put the toolkit's words back on its buttons
    // ("OK" for the print dialog's "Stampa").
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

void beforeQtDialog()
{
    noSettingsFiles();
    italianQtTexts();
}
}
