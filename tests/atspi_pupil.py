#!/usr/bin/python3
# A pupil's first answer, worked and followed through AT-SPI, the interface screen readers and
# switch-access software use: the real program is started, its accessible tree is read, "0" and
# "Vai" are pressed through their Press action, keys are typed while the focus events are
# followed, and the answer cell is read. Controls are found by role and accessible name, as
# an assistive technology finds them.
#   atspi_pupil.py PROGRAM
# Run it inside tests/xsession.sh --a11y (X server, window manager, accessibility bus).
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

ATTESA = 20  # seconds any one step may take at most


class Fallito(Exception):
    pass


def scorri_eventi():
    # Events are delivered only while the GLib main context is iterated.
    contesto = GLib.MainContext.default()
    for _ in range(1000):
        if not contesto.iteration(False):
            break


def attendi(condizione, cosa):
    """Polls `condizione` until it gives a true value, for at most ATTESA seconds."""
    scadenza = time.monotonic() + ATTESA
    while True:
        scorri_eventi()
        try:
            valore = condizione()
        except Exception:  # an object that went away mid-walk: look again
            valore = None
        if valore:
            return valore
        if time.monotonic() > scadenza:
            raise Fallito("gave up waiting for " + cosa)
        time.sleep(0.02)


def tutti(radice, ruolo, nome=None):
    return pyatspi.findAllDescendants(
        radice, lambda o: o is not None and o.getRole() == ruolo and (nome is None or o.name == nome))


def uno(radice, ruolo, nome):
    trovati = tutti(radice, ruolo, nome)
    return trovati[0] if len(trovati) == 1 else None


def finestra(app, titolo):
    for f in app:
        if f is not None and f.getRole() == pyatspi.ROLE_FRAME and f.name == titolo:
            return f
    return None


def finestra_di(o):
    # The window is the ancestor right below the application (panels are frames too).
    while o is not None and o.parent is not None and o.parent.getRole() != pyatspi.ROLE_APPLICATION:
        o = o.parent
    return o.name if o is not None else None


def ha_il_fuoco(o):
    return o.getState().contains(pyatspi.STATE_FOCUSED)


def premi(o):
    azioni = o.queryAction()
    nomi = [azioni.getName(i) for i in range(azioni.nActions)]
    for i, n in enumerate(nomi):
        if n.lower() == "press":
            azioni.doAction(i)
            return
    raise Fallito("%r offers no Press action, only %r" % (o.name, nomi))


def tasto(nome):
    subprocess.run(["xdotool", "key", "--clearmodifiers", nome], check=True)


def ascissa(o):
    return o.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).x


def percorso(programma, fuochi):
    app = attendi(lambda: next((a for a in pyatspi.Registry.getDesktop(0)
                                if a is not None and a.get_process_id() == programma.pid
                                and finestra(a, "Calcolino") is not None), None),
                  "the program in the AT-SPI desktop")
    inizio = finestra(app, "Calcolino")

    # The start screen: the table buttons with their spoken description, the focus on "0".
    zero = attendi(lambda: uno(inizio, pyatspi.ROLE_PUSH_BUTTON, "0"), 'start screen button "0"')
    if zero.description != "Tabella dello 0":
        raise Fallito('"0" is described as %r' % zero.description)
    for nome in ["1", "10", "Vai", "Ripristina", "Esci"]:
        if uno(inizio, pyatspi.ROLE_PUSH_BUTTON, nome) is None:
            raise Fallito("no push button %r on the start screen" % nome)
    attendi(lambda: ha_il_fuoco(zero), 'the focus on "0" at start')

    # "0" pressed: the table is chosen and named, the focus goes to "Vai".
    premi(zero)
    attendi(lambda: uno(inizio, pyatspi.ROLE_LABEL, "Tabella dello 0"), 'the label "Tabella dello 0"')
    attendi(lambda: ("Calcolino", "Vai") in fuochi, 'a focus event for "Vai"')

    # "Vai" pressed: the exercise screen opens on the table, the focus on its "0".
    premi(uno(inizio, pyatspi.ROLE_PUSH_BUTTON, "Vai"))
    esercizio = attendi(lambda: finestra(app, "TABELLA"), "the exercise screen")
    attendi(lambda: uno(esercizio, pyatspi.ROLE_LABEL, "Tabella: 0"), 'the label "Tabella: 0"')
    attendi(lambda: ("TABELLA", "0") in fuochi, 'a focus event for the keypad\'s "0"')

    # The cells from left to right: the first waits for the answer.
    def celle():
        return sorted(tutti(esercizio, pyatspi.ROLE_LABEL, None), key=ascissa)

    def cella(prima_parola):
        return [c for c in celle() if c.name.startswith(prima_parola)]

    attendi(lambda: cella("Risultato") and cella("Risultato")[0].name == "Risultato: ?", 'the first cell "Risultato: ?"')

    # Keys typed at the focused button: SPACE moves the highlight, a digit types and moves
    # the focus to "Invio", Enter checks the wrong answer and the help offer takes the focus.
    def dopo(segno, fuoco):
        return fuoco in fuochi[segno:]

    segno = len(fuochi)
    tasto("space")
    attendi(lambda: dopo(segno, ("TABELLA", "1")), 'a focus event for "1" after SPACE')
    segno = len(fuochi)
    tasto("9")
    attendi(lambda: cella("Risultato")[0].name == "Risultato: 9", 'the first cell "Risultato: 9"')
    attendi(lambda: dopo(segno, ("TABELLA", "Invio")), 'a focus event for "Invio"')
    tasto("9")
    attendi(lambda: cella("Risultato")[0].name == "Risultato: 99", 'the first cell "Risultato: 99"')
    segno = len(fuochi)
    tasto("Return")
    attendi(lambda: dopo(segno, ("TABELLA", "SI")), 'a focus event for "SI"')

    # "SI" pressed: the cell shows the result, the table's number plus the first addend.
    premi(uno(esercizio, pyatspi.ROLE_PUSH_BUTTON, "SI"))
    addendo = cella("Addendo")[0].name.split(": ")[1]
    atteso = "Risultato: %d" % (0 + int(addendo))
    attendi(lambda: cella("Risultato")[0].name == atteso, "the first cell %r" % atteso)
    attendi(lambda: cella("Risultato")[1].name == "Risultato: ?", 'the second cell "Risultato: ?"')


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: atspi_pupil.py PROGRAM")
    fuochi = []  # (window, name) of every control that took the focus, in order

    def su_fuoco(evento):
        if evento.detail1 == 1:
            try:
                fuochi.append((finestra_di(evento.source), evento.source.name))
            except Exception:
                pass

    uscita = tempfile.TemporaryFile()
    programma = subprocess.Popen([sys.argv[1]], stdout=uscita, stderr=subprocess.STDOUT)
    pyatspi.Registry.registerEventListener(su_fuoco, "object:state-changed:focused")
    try:
        percorso(programma, fuochi)
    except Fallito as e:
        print("atspi_pupil: FAIL: %s" % e, file=sys.stderr)
        print("atspi_pupil: focus events seen: %r" % fuochi, file=sys.stderr)
        x = subprocess.run(["xdotool", "getwindowfocus", "getwindowname"], capture_output=True, text=True)
        print("atspi_pupil: the window with the X input focus: %r" % (x.stdout.strip() or x.stderr.strip()),
              file=sys.stderr)
        return 1
    finally:
        pyatspi.Registry.deregisterEventListener(su_fuoco, "object:state-changed:focused")
        programma.kill()
        programma.wait()
        uscita.seek(0)
        detto = uscita.read().decode(errors="replace")
        if detto:
            print("atspi_pupil: the program wrote:\n" + detto, file=sys.stderr)
    print("atspi_pupil: PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
