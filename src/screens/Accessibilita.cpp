#include "screens/Accessibilita.h"
#include "screens/ScreenDef.h"
#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QWidget>

namespace {

// The spoken word said before a label's caption ("Risultato" for an answer cell).
const char *const ParolaParlata = "parolaParlata";

// A label as assistive technology reads it: its caption, line breaks as the pupil sees them,
// after its spoken word if it has one. Read afresh at every request, so the name always
// follows the caption; the toolkit announces every change of caption as a change of name.
class EtichettaAccessibile : public QAccessibleWidget {
public:
    explicit EtichettaAccessibile(QWidget *w) : QAccessibleWidget(w, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !widget()->accessibleName().isEmpty())
            return QAccessibleWidget::text(t);
        QString testo = static_cast<const QLabel *>(widget())->text();
        testo.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        testo = testo.trimmed(); // a result is kept with a leading blank
        const QString parola = widget()->property(ParolaParlata).toString();
        if (parola.isEmpty())
            return testo;
        return testo.isEmpty() ? parola : parola + QStringLiteral(": ") + testo;
    }
};

QAccessibleInterface *fabbrica(const QString &classe, QObject *o)
{
    if (classe == QLatin1String("VbLabel") && o && o->isWidgetType())
        return new EtichettaAccessibile(static_cast<QWidget *>(o));
    return nullptr;
}
}

namespace Accessibilita {

void installa()
{
    static const bool installata = [] {
        QAccessible::installFactory(fabbrica);
        return true;
    }();
    Q_UNUSED(installata);
}

void applica(const QString &schermo, QWidget *radice)
{
    installa();
    auto controllo = [radice](const QString &nome) { return radice->findChild<QWidget *>(nome); };
    auto parola = [&](const QString &nome, const char *p) {
        if (QWidget *w = controllo(nome))
            w->setProperty(ParolaParlata, QString::fromUtf8(p));
    };
    auto nome = [&](const QString &n, const char *parlato) {
        if (QWidget *w = controllo(n))
            w->setAccessibleName(QString::fromUtf8(parlato));
    };

    if (schermo == QLatin1String("FrmInizio")) {
        for (int i = 0; i <= 10; ++i)
            if (QWidget *b = controllo(QStringLiteral("Option1_%1").arg(i)))
                b->setAccessibleDescription(Def::tableName(i));
    } else if (schermo == QLatin1String("frmOperativo")) {
        parola(QStringLiteral("Label1"), "Tabella");
        for (int g = 0; g < 10; ++g) {
            parola(QStringLiteral("Label2_%1").arg(g), "Addendo");
            parola(QStringLiteral("lblRisultato_%1").arg(g), "Risultato");
        }
    } else if (schermo == QLatin1String("frmIstruzioni") || schermo == QLatin1String("frmAutore")) {
        nome(QStringLiteral("Command1"), "Chiudi"); // the caption is spelt out letter by letter
    } else if (schermo == QLatin1String("frmStampa")) {
        nome(QStringLiteral("picAnteprima"), "Anteprima di stampa");
    }
}
}
