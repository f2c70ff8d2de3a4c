#include "screens/Accessibility.h"
#include "screens/ScreenDef.h"
#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QWidget>

namespace {

// The spoken word said before a label's caption ("Risultato" for an answer cell).
const char *const SpokenWordProperty = "spokenWord";

// A label as assistive technology reads it: its caption, line breaks as the pupil sees them,
// after its spoken word if it has one. Read afresh at every request, so the name always
// follows the caption; the toolkit announces every change of caption as a change of name.
class AccessibleLabel : public QAccessibleWidget {
public:
    explicit AccessibleLabel(QWidget *w) : QAccessibleWidget(w, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !widget()->accessibleName().isEmpty())
            return QAccessibleWidget::text(t);
        QString said = static_cast<const QLabel *>(widget())->text();
        said.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        said = said.trimmed(); // a result is kept with a leading blank
        const QString word = widget()->property(SpokenWordProperty).toString();
        if (word.isEmpty())
            return said;
        return said.isEmpty() ? word : word + QStringLiteral(": ") + said;
    }
};

QAccessibleInterface *factory(const QString &className, QObject *o)
{
    if (className == QLatin1String("VbLabel") && o && o->isWidgetType())
        return new AccessibleLabel(static_cast<QWidget *>(o));
    return nullptr;
}
}

namespace Accessibility {

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void apply(const QString &screen, QWidget *root)
{
    install();
    auto control = [root](const QString &name) { return root->findChild<QWidget *>(name); };
    auto word = [&](const QString &name, const char *w) {
        if (QWidget *c = control(name))
            c->setProperty(SpokenWordProperty, QString::fromUtf8(w));
    };
    auto name = [&](const QString &n, const char *spoken) {
        if (QWidget *c = control(n))
            c->setAccessibleName(QString::fromUtf8(spoken));
    };

    if (screen == QLatin1String("FrmInizio")) {
        for (int i = 0; i <= 10; ++i)
            if (QWidget *b = control(QStringLiteral("Option1_%1").arg(i)))
                b->setAccessibleDescription(Def::tableName(i));
    } else if (screen == QLatin1String("frmOperativo")) {
        word(QStringLiteral("Label1"), "Tabella");
        for (int g = 0; g < 10; ++g) {
            word(QStringLiteral("Label2_%1").arg(g), "Addendo");
            word(QStringLiteral("lblRisultato_%1").arg(g), "Risultato");
        }
    } else if (screen == QLatin1String("frmIstruzioni") || screen == QLatin1String("frmAutore")) {
        name(QStringLiteral("Command1"), "Chiudi"); // the caption is spelt out letter by letter
    } else if (screen == QLatin1String("frmStampa")) {
        name(QStringLiteral("picAnteprima"), "Anteprima di stampa");
    }
}
}
