// Start screen: what the pupil sees at start, choosing a table, and the three commands.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"

class TstAvvio : public QObject {
    Q_OBJECT
private slots:
    void init() { T::avvia(); }
    void cleanup() { T::chiudi(); }

    void startShowsVersionAndFocusOnZero()
    {
        QCOMPARE(T::lbl("FrmInizio", "Label7")->text(), QString("Vers.1.0\rMouse "));
        QCOMPARE(T::lbl("FrmInizio", "Label1")->text(), QString("Tabella "));
        QCOMPARE(T::focusName(), QString("Option1_0"));
    }

    void choosingATableShowsItsNameAndFocusesVai()
    {
        const char *const expected[] = {"Tabella dello 0", "Tabella dell' 1", "Tabella del 2", "Tabella del 3",
                                        "Tabella del 4", "Tabella del 5", "Tabella del 6", "Tabella del 7",
                                        "Tabella dell'8", "Tabella del 9", "Tabella del 10"};
        for (int i = 0; i <= 10; ++i) {
            T::clic(T::btn("FrmInizio", QString("Option1_%1").arg(i)), i % 2 ? Qt::RightButton : Qt::LeftButton);
            QCOMPARE(T::lbl("FrmInizio", "Label1")->text(), QString(expected[i]));
            QCOMPARE(Programma::NumeroTabella, int16_t(i));
            QCOMPARE(T::focusName(), QString("Option2_0"));
        }
    }
};

QTEST_MAIN(TstAvvio)
#include "tst_avvio.moc"
