#!/usr/bin/python3
# The real program in a real X or Wayland session, where the platform decides the outcome. Keys go
# as a keyboard sends them (X: XTEST by xdotool; sway: a virtual keyboard and pointer); what
# happened is read from the program: AT-SPI, its windows, files, exit status, output, processes.
#   xsession.sh --a11y [--sway|--weston] real_session.py PROGRAM [CASE-NUMBER...]
# Every case starts its own copies of the program, each with an empty home, and says PASS or FAIL.
import contextlib
import ctypes
import json
import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

ATTESA = 15         # seconds any one step may take at most
ATTESA_AVVIO = 20   # seconds the start screen may take to appear
TENUTA = 1.5        # seconds a key is held down: with the repeat below, about 28 repeats
RIPETIZIONE = ["100", "20"]  # the X server's key repeat: after 100 ms, 20 a second

INIZIO, ESERCIZIO, STAMPA = "Calcolino", "TABELLA", "Stampa esercizio"
# The numeric keypad by keycode (Xvfb's evdev map): by name xdotool would switch Num Lock on.
KP = {"1": "87", "2": "88", "7": "79", "*": "63", "Enter": "104"}
WAYLAND = None  # the virtual keyboard and pointer, in a Wayland session
FUOCHI = []  # (pid, window, name) of every control that took the focus, in order


class Fallito(Exception):
    pass



def attendi(condizione, cosa, limite=ATTESA):
    """Polls `condizione` until it gives a true value, for at most `limite` seconds."""
    scadenza = time.monotonic() + limite
    while True:
        while GLib.MainContext.default().iteration(False):  # AT-SPI events come only so
            pass
        valore = None
        with contextlib.suppress(Exception):  # an object that went away mid-walk: look again
            valore = condizione()
        if valore:
            return valore
        if time.monotonic() > scadenza:
            raise Fallito("gave up after %d s waiting for %s" % (limite, cosa))
        time.sleep(0.02)


def nome(o):
    o.clear_cache()  # the name as the program says it now
    return o.name


def tutti(radice, ruolo, nome_=None):
    return pyatspi.findAllDescendants(radice, lambda o: o.getRole() == ruolo and nome_ in (None, o.name))


def uno(radice, ruolo, nome_):
    trovati = tutti(radice, ruolo, nome_)
    return trovati[0] if len(trovati) == 1 else None


def finestra(app, titolo, dialogo=False):
    """The program's window with that title: a dialog of Qt's or one of the program's screens."""
    app.clear_cache()
    return next((f for f in app if f and f.name == titolo and (f.getRole() == pyatspi.ROLE_DIALOG) == dialogo), None)


def finestra_di(o):
    # The window is the ancestor right below the application (panels are frames too).
    while o is not None and o.parent is not None and o.parent.getRole() != pyatspi.ROLE_APPLICATION:
        o = o.parent
    return o.name if o is not None else None


def ha(o, stato):
    o.clear_cache()
    return o.getState().contains(stato)


def su_fuoco(evento):
    if evento.detail1 == 1:
        with contextlib.suppress(Exception):
            FUOCHI.append((evento.source.get_process_id(), finestra_di(evento.source), evento.source.name))



class Wayland:
    """One virtual keyboard (one keymap) and one virtual pointer for the whole run, spoken to the
    compositor in Wayland's own wire format: a keyboard made anew for each key loses the focus."""
    # Linux input codes: Enter, Space, Alt, letters, digits, the numeric keypad.
    CODICI = {"Return": 28, "space": 57, "alt": 56, "c": 46, "p": 25, "s": 31, "0": 11,
              **{str(n): n + 1 for n in range(1, 10)}, "KP_7": 71, "KP_1": 79, "KP_2": 80, "KP_*": 55, "KP_Enter": 96}

    def __init__(self):
        self.s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.s.connect(os.environ["WAYLAND_DISPLAY"])
        self.ultimo, self.globali, self.letto = 2, {}, b""
        self.manda(1, 1, "u", 2)  # wl_display.get_registry
        self.sincronizza()
        seat = self.nuovo(2, 0, "usuu", self.globali["wl_seat"], "wl_seat", 1)  # wl_registry.bind
        self.tastiera, self.puntatore = (self.nuovo(self.nuovo(2, 0, "usuu", self.globali[m], m, 1), 0, "u", seat)
                                         for m in ["zwp_virtual_keyboard_manager_v1", "zwlr_virtual_pointer_manager_v1"])
        xkb = ctypes.CDLL("libxkbcommon.so.0")
        xkb.xkb_context_new.restype = xkb.xkb_keymap_new_from_names.restype = ctypes.c_void_p
        xkb.xkb_keymap_get_as_string.restype = ctypes.c_char_p
        mappa = ctypes.c_void_p(xkb.xkb_keymap_new_from_names(ctypes.c_void_p(xkb.xkb_context_new(0)), None, 0))
        mappa = xkb.xkb_keymap_get_as_string(mappa, 1) + b"\0"
        fd = os.memfd_create("keymap")
        os.write(fd, mappa)
        self.manda(self.tastiera, 0, "uu", 1, len(mappa), fd=fd)  # keymap(XKB v1, fd, size)
        os.close(fd)
        # The seat takes this keyboard as its own now, not at the first key, when the window that
        # has the focus would lose it and get it back.
        self.manda(self.tastiera, 2, "uuuu", 0, 0, 0, 0)
        self.sincronizza()

    def manda(self, oggetto, codice, firma, *argomenti, fd=None):
        corpo = b""
        for tipo, a in zip(firma, argomenti):
            b = a.encode() + b"\0" if tipo == "s" else b""
            corpo += struct.pack("=I", len(b)) + b + b"\0" * (-len(b) % 4) if b else struct.pack("=I", a)
        messaggio = struct.pack("=II", oggetto, (len(corpo) + 8) << 16 | codice) + corpo
        socket.send_fds(self.s, [messaggio], [fd]) if fd else self.s.sendall(messaggio)

    def nuovo(self, oggetto, codice, firma, *argomenti):
        """A request that makes an object, whose id (the next, none skipped) comes last."""
        self.ultimo += 1
        self.manda(oggetto, codice, firma + "u", *argomenti, self.ultimo)
        return self.ultimo

    def sincronizza(self):
        """Returns once the compositor has handled all that was sent before (wl_display.sync)."""
        richiamo = self.nuovo(1, 0, "")
        while True:
            while len(self.letto) < 8 or len(self.letto) < struct.unpack_from("=II", self.letto)[1] >> 16:
                self.letto += self.s.recv(4096)
            oggetto, misura = struct.unpack_from("=II", self.letto)
            corpo, self.letto = self.letto[8:misura >> 16], self.letto[misura >> 16:]
            if (oggetto, misura & 0xffff) == (1, 0):  # wl_display.error
                raise RuntimeError("Wayland error: %r" % corpo[12:])
            if (oggetto, misura & 0xffff) == (2, 0):  # wl_registry.global: name, interface
                self.globali[corpo[8:].split(b"\0")[0].decode()] = struct.unpack_from("=I", corpo)[0]
            if oggetto == richiamo:
                return

    @staticmethod
    def ms():
        return int(time.monotonic() * 1000) & 0xffffffff

    def tasto(self, nome_, giu):
        self.manda(self.tastiera, 1, "uuu", self.ms(), self.CODICI[nome_], giu)
        if nome_ == "alt":  # the modifiers are the client's to say: Mod1 down or none
            self.manda(self.tastiera, 2, "uuuu", 8 * giu, 0, 0, 0)
        self.sincronizza()

    def bottone(self, x, y, larghezza, altezza, bottone, giu):
        self.manda(self.puntatore, 1, "uuuuu", self.ms(), x, y, larghezza, altezza)  # motion_absolute
        self.manda(self.puntatore, 2, "uuu", self.ms(), bottone, giu)
        self.manda(self.puntatore, 4, "")  # frame
        self.sincronizza()


def tasto(nome_, giu):
    if WAYLAND:
        WAYLAND.tasto(nome_, giu)
    else:
        subprocess.run(["xdotool", "keydown" if giu else "keyup", nome_], check=True)


def tasti(*nomi):
    # Each key is pressed and released, as a pupil types: a key stays down for a moment (on X
    # xdotool's own pause).
    if WAYLAND:
        for n in nomi:
            tasto(n, True)
            time.sleep(0.012)
            tasto(n, False)
    else:
        subprocess.run(["xdotool", "key"] + list(nomi), check=True)


def kp(tasto_):
    return "KP_" + tasto_ if WAYLAND else KP[tasto_]


def tieni(tasto_):
    # The key stays down for a real while: the X server (on Wayland, the toolkit) repeats it
    # meanwhile, as for a pupil who cannot let go quickly. This pause is the hold itself.
    tasto(tasto_, True)
    time.sleep(TENUTA)
    tasto(tasto_, False)


def finestra_sway(pid):
    """The program's start screen as sway has it: its app id and where it is on the screen."""
    nodi = [json.loads(subprocess.run(["swaymsg", "-t", "get_tree"], capture_output=True, check=True).stdout)]
    for n in nodi:  # the list grows while walked
        nodi += n.get("nodes", []) + n.get("floating_nodes", [])
    return next((n for n in nodi if n.get("pid") == pid and n.get("name") == INIZIO), None)


def pieno(pid, inizio):
    """The start screen fills sway's screen, for sway and for the program, its menu bar laid out."""
    f, qt = finestra_sway(pid)["rect"], inizio.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    barra = tutti(inizio, pyatspi.ROLE_MENU_BAR)[0].queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    return (qt.width, qt.height) == (f["width"], f["height"]) == (1024, 768) and barra.width == 1024


def xdotool(*argomenti):
    return subprocess.run(["xdotool", *argomenti], capture_output=True, text=True).stdout.splitlines()


def finestre_x(pid, titolo):
    return xdotool("search", "--all", "--onlyvisible", "--pid", str(pid), "--name", "^%s$" % titolo)


def icona(finestra_id):
    return subprocess.run(["xprop", "-id", finestra_id, "-len", "16", "_NET_WM_ICON"], capture_output=True, text=True).stdout


def num_lock():
    xset = subprocess.run(["xset", "q"], capture_output=True, text=True, check=True).stdout
    return re.search(r"Num Lock:\s*(\w+)", xset).group(1) == "on"



def figli(pid):
    return [int(p) for p in subprocess.run(["pgrep", "-P", str(pid)], capture_output=True).stdout.split()]


def discendenti(pid):
    return [d for f in figli(pid) for d in [f] + discendenti(f)]


def comandi(pids):
    ps = ["ps", "-o", "pid=,args=", "-p", ",".join(map(str, pids))]
    return "; ".join(subprocess.run(ps, capture_output=True, text=True).stdout.strip().splitlines())


def orfani(noti):
    """Processes handed to us (we are their subreaper) whose parent went: the program's leftovers."""
    return [p for p in figli(os.getpid()) if p not in noti]


class Copia:
    """One run of the program, with its own empty home and working directory."""

    def __init__(self, caso, cambi, cwd, argomenti):
        n = len(caso.copie)
        self.home = caso.cartella("home%d" % n)
        self.uscita = tempfile.TemporaryFile(dir=caso.dir)  # its output and its errors
        env = {v: os.environ[v] for v in ["PATH", "LANG", "LC_ALL", "LANGUAGE", "DISPLAY", "XDG_RUNTIME_DIR", "WAYLAND_DISPLAY",
                                          "XDG_SESSION_TYPE", "DBUS_SESSION_BUS_ADDRESS", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON",
                                          "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"] if v in os.environ}
        # No print server, whatever this machine has: Qt's print dialog then offers a PDF file, and a
        # test never prints on paper. libcups's temporary files go to a folder of the case.
        env.update(HOME=self.home, QT_QPA_PLATFORM="wayland" if os.environ.get("WAYLAND_DISPLAY") else "xcb",
                   CUPS_SERVER=os.path.join(caso.dir, "nessun-cups.sock"), TMPDIR=caso.cartella("tmp"))
        env.update(cambi)
        self.processo = subprocess.Popen([caso.programma, *argomenti], cwd=cwd or caso.cartella("lavoro%d" % n),
                                         env={v: x for v, x in env.items() if x is not None}, stdin=subprocess.DEVNULL,
                                         stdout=self.uscita, stderr=subprocess.STDOUT)
        self.pid = self.processo.pid

    def ferma(self):
        self.processo.kill()  # nothing if it ended
        self.processo.wait()

    def detto(self):
        self.uscita.seek(0)
        return self.uscita.read().decode(errors="replace")

    def app(self):
        return attendi(lambda: next(a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == self.pid
                                    and finestra(a, INIZIO)), "the program in the AT-SPI desktop")

    def inizio(self):
        """The start screen, active, with the focus on "0"."""
        app = self.app()
        inizio = finestra(app, INIZIO)
        zero = attendi(lambda: uno(inizio, pyatspi.ROLE_PUSH_BUTTON, "0"), 'start screen button "0"')
        attendi(lambda: ha(zero, pyatspi.STATE_FOCUSED), 'the focus on "0" at start')
        attendi(lambda: ha(inizio, pyatspi.STATE_ACTIVE), "the start screen with the keyboard")
        if WAYLAND:
            # sway first shares the screen with the last copy's window if it lingers, and widens
            # this one when it goes: Qt's menu bar forgets its highlighted item when resized.
            attendi(lambda: pieno(self.pid, inizio), "the start screen filling sway's screen")
        return app, inizio

    def fuochi(self, segno):
        return [(f, n) for p, f, n in FUOCHI[segno:] if p == self.pid]

    def fuochi_fino(self, segno, fine, cosa, oppure=lambda visti: False):
        """The focus events since `segno`, once they end with `fine` (or `oppure` says so)."""
        attendi(lambda: self.fuochi(segno)[-len(fine):] == fine or oppure(self.fuochi(segno)), cosa)
        return self.fuochi(segno)

    def esercizio(self, app):
        """The exercise screen, just opened: the focus on the keypad's "0", the first cell waiting."""
        esercizio = attendi(lambda: finestra(app, ESERCIZIO), "the exercise screen")
        attendi(lambda: (ESERCIZIO, "0") in self.fuochi(0), 'a focus event for the keypad\'s "0"')
        cella = attendi(lambda: sorted((c for c in tutti(esercizio, pyatspi.ROLE_LABEL) if c.name.startswith("Risultato")),
                                       key=lambda c: c.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).x)[0],
                        "the answer cells")
        attendi(lambda: nome(cella) == "Risultato: ?", 'the first cell "Risultato: ?"')
        return esercizio, cella

    def alla_stampa(self, app):
        """From the start screen to the print screen: 30 rows and one more bring the warning."""
        tasti("Return", "Return")
        self.esercizio(app)
        # Table 0 has no result 11: every row is wrong, "SI" gives the result and completes it.
        # A sheet ends on "Nuova Tabella", Enter draws the next. Help on the 30th row brings the
        # warning with the 31st, its focus on "Stampa".
        riga = ["1", "1", "Return", "Return"]
        tasti(*((riga * 10 + ["Return"]) * 3 + riga))
        attendi(lambda: (ESERCIZIO, "Stampa") in self.fuochi(0), 'the warning after 30 rows, the focus on "Stampa"')
        tasti("Return")
        stampa = attendi(lambda: finestra(app, STAMPA), 'the print screen "%s"' % STAMPA)
        attendi(lambda: (STAMPA, "Stampa") in self.fuochi(0), 'the focus on the print screen\'s "Stampa"')
        return stampa


class Caso:
    """One case: its own folder, its copies of the program; checks that let it go on."""

    def __init__(self, programma):
        self.programma = programma
        self.dir = tempfile.mkdtemp(prefix="real_session.")
        self.copie, self.problemi = [], []

    def cartella(self, nome_):
        p = os.path.join(self.dir, nome_)
        os.makedirs(p, exist_ok=True)
        return p

    def avvia(self, cambi={}, cwd=None, argomenti=()):
        self.copie.append(Copia(self, cambi, cwd, argomenti))
        return self.copie[-1]

    def verifica(self, ok, messaggio):
        if not ok:
            self.problemi.append(messaggio)

    def chiudi(self):
        for c in self.copie:
            c.ferma()
        # Whatever a copy left behind was handed to us: named, ended by its PID with all it started.
        scadenza = time.monotonic() + ATTESA
        while (resti := orfani([])) and time.monotonic() < scadenza:
            resti += [q for p in resti for q in discendenti(p)]
            self.problemi.append("left behind: %s" % comandi(resti))
            for p in resti:
                with contextlib.suppress(OSError):
                    os.kill(p, signal.SIGKILL)
                    os.waitpid(p, 0)  # ours, or else (ChildProcessError) the next round's
        shutil.rmtree(self.dir, ignore_errors=True)


def C(n):
    return (INIZIO, n)



def caso_tenuti_inizio(caso):
    """Keys held down on the start screen act once: SPACE one step, Enter one choice."""
    c = caso.avvia()
    app, inizio = c.inizio()
    with open("/proc/%d/maps" % c.pid) as mappe:
        caso.verifica("libQt6TextToSpeech" not in mappe.read(), "Qt's speech module loaded with the voice off")
    # SPACE held on "0". Then "9" and "8": the scan never goes from 9 back to 8, so once they
    # are seen every focus change the hold made has been seen.
    segno = len(FUOCHI)
    tieni("space")
    tasti("9", "8")
    visti = c.fuochi_fino(segno, [C("9"), C("8")], 'the focus on "9" then "8" after SPACE held')
    caso.verifica(visti == [C("1"), C("9"), C("8")],
                  'SPACE held %.1f s on "0" should move the highlight by one button, to "1"; it went: %s'
                  % (TENUTA, visti[:-2]))
    # Enter held on "8" chooses the table and puts the focus on "Vai", which it must not press.
    # Then "1" highlights "Ripristina": seen on the start screen, the hold is over.
    segno = len(FUOCHI)
    tieni("Return")
    tasti("1")
    visti = c.fuochi_fino(segno, [C("Ripristina")], 'the focus on "Ripristina" after Enter held',
                          oppure=lambda v: any(f != INIZIO for f, _ in v))
    # Made, hidden, once a table is chosen: it opened if it shows.
    esercizio = finestra(app, ESERCIZIO)
    aperto = esercizio is not None and ha(esercizio, pyatspi.STATE_SHOWING)
    caso.verifica(not aperto and visti == [C("Vai"), C("Ripristina")],
                  'Enter held %.1f s on "8" should choose the table and leave the focus on "Vai"; '
                  'the focus went: %s; the exercise screen %s' % (TENUTA, visti, "opened" if aperto else "did not open"))
    caso.verifica(uno(inizio, pyatspi.ROLE_LABEL, "Tabella dell'8") is not None,
                  'after Enter on "8" the start screen does not read "Tabella dell\'8"')


def caso_num_lock(caso):
    """With Num Lock off the numeric keypad names the tables and types digits."""
    if not WAYLAND:  # (the virtual keyboard on Wayland has Num Lock off)
        subprocess.run(["numlockx", "off"], check=True)
        attendi(lambda: not num_lock(), "Num Lock off in xset q")
    c = caso.avvia()
    app, inizio = c.inizio()
    # A pupil with the keypad alone: its Enter chooses the table and presses "Vai".
    for tasto_, fuoco in [("7", "7"), ("*", "10"), ("Enter", "Vai")]:
        segno = len(FUOCHI)
        tasti(kp(tasto_))
        c.fuochi_fino(segno, [C(fuoco)], 'keypad %s with Num Lock off to highlight "%s"' % (tasto_, fuoco))
    tasti(kp("Enter"))
    _, cella = c.esercizio(app)
    tasti(kp("1"), kp("2"))
    attendi(lambda: nome(cella) == "Risultato: 12", 'keypad 1 and 2 with Num Lock off to type "Risultato: 12"')
    caso.verifica(WAYLAND or not num_lock(), "Num Lock was switched on during the case")


def caso_stampa_senza_stampante(caso):
    """No printer: Enter in Qt's print dialog (Italian) saves a PDF, and the screen says where."""
    c = caso.avvia()
    app, _ = c.inizio()
    stampa = c.alla_stampa(app)
    schermata = set() if WAYLAND else set(finestre_x(c.pid, STAMPA))
    tasti("s", "Return")
    dialogo = attendi(lambda: finestra(app, STAMPA, dialogo=True), "Qt's print dialog")
    # On X the input focus, where the next key goes, in the dialog: a window titled as the screen.
    attendi(lambda: ha(dialogo, pyatspi.STATE_ACTIVE) and (WAYLAND or set(xdotool("getwindowfocus"))
            & (set(finestre_x(c.pid, STAMPA)) - schermata)), "the print dialog with the keyboard")
    visti = [o.name for o in tutti(dialogo, pyatspi.ROLE_PUSH_BUTTON)]
    caso.verifica("Stampa" in visti and "Annulla" in visti,
                  'the print dialog should speak Italian ("Stampa", "Annulla"); its buttons: %r' % visti)
    tasti("Return")  # on the printer "Stampa su file (PDF)", where there is none
    attendi(lambda: finestra(app, STAMPA, dialogo=True) is None, "Enter in the print dialog to accept it")
    detto = attendi(lambda: [nome(e) for e in tutti(stampa, pyatspi.ROLE_LABEL) if nome(e)],
                    "a message on the print screen")[0]
    righe = detto.replace("\u200b", "").split("\n")
    atteso = "L'esercizio non è andato a una stampante: è stato salvato come file PDF:"
    caso.verifica(len(righe) == 2 and righe[0] == atteso,
                  "with no printer the print screen should say %r and the file; it says %r" % (atteso, detto))
    info = subprocess.run(["pdfinfo", righe[-1]], capture_output=True, text=True)
    caso.verifica(info.returncode == 0 and "Pages:" in info.stdout, "the PDF named on the screen, %r, is not one" % righe[-1])


def caso_file_strani(caso):
    """Whatever is named ImpostazioniZu.dat in the working directory, the start screen appears."""
    cose = {}
    for cosa, fai in [("a FIFO", os.mkfifo), ("a directory", os.mkdir),
                      ("a dangling symlink", lambda p: os.symlink(p + ".assente", p))]:
        cwd = caso.cartella("con %s" % cosa.split()[-1])
        fai(os.path.join(cwd, "ImpostazioniZu.dat"))
        cose[cosa] = caso.avvia(cwd=cwd)
    for cosa, c in cose.items():
        attendi(lambda: finestre_x(c.pid, INIZIO), "the start screen with %s named ImpostazioniZu.dat in the "
                "working directory" % cosa, ATTESA_AVVIO)


def caso_senza_bus(caso):
    """No session bus, or one to be started for it (autolaunch): the program starts none, and
    leaves nothing behind after Esci."""
    runtime = caso.cartella("runtime")
    os.chmod(runtime, 0o700)
    for indirizzo in [None, "autolaunch:"]:
        c = caso.avvia({"DBUS_SESSION_BUS_ADDRESS": indirizzo, "XDG_RUNTIME_DIR": runtime, "AT_SPI_BUS_ADDRESS": None})
        # Without a bus the program is not on the accessibility bus either: it is watched through X.
        attendi(lambda: finestre_x(c.pid, INIZIO), "the start screen", ATTESA_AVVIO)
        attendi(lambda: xdotool("getactivewindow", "getwindowpid", "getwindowname") == [str(c.pid), INIZIO],
                "the start screen active")
        noti = [x.pid for x in caso.copie]
        intorno = discendenti(c.pid) + orfani(noti)
        caso.verifica(not intorno, "with the bus address %r the program started: %s" % (indirizzo, comandi(intorno)))
        # Enter on "0" chooses it, SPACE twice goes to "Esci", Enter ends the program.
        tasti("Return", "space", "space", "Return")
        attendi(lambda: c.processo.poll() is not None, "the program to end after Esci")
        caso.verifica(c.processo.returncode == 0, "after Esci the exit status is %d" % c.processo.returncode)
        dopo = orfani(noti)
        caso.verifica(not dopo, "with the bus address %r, after the program ended these were still running: %s"
                      % (indirizzo, comandi(dopo)))
        scritto = [os.path.relpath(os.path.join(d, f), c.home) for d, ds, fs in os.walk(c.home) for f in ds + fs]
        caso.verifica(not scritto, "files appeared in the home: %r" % scritto)
        caso.verifica(not c.detto(), "the program printed: %r" % c.detto())


def caso_autore(caso):
    """The author screen, opened by a key and closed by the next; the start screen's icon, none in
    the author screen."""
    c = caso.avvia()
    app, inizio = c.inizio()
    mia = [] if WAYLAND else finestre_x(c.pid, INIZIO)  # on Wayland the icon is the app id's (case 7)
    caso.verifica(WAYLAND or len(mia) == 1 and "not found" not in icona(mia[0]), "the start screen should carry _NET_WM_ICON")
    attendi(lambda: uno(inizio, pyatspi.ROLE_MENU_ITEM, "Autore"), 'the menu item "Autore"')
    # Alt takes the keyboard to the menu bar, Enter chooses its one item. (Its Press action over
    # AT-SPI would wait for the reply until the modal screen closes.)
    segno = len(FUOCHI)
    # A quick tap: press and release reach the program together, which assistive technology's
    # hold on each key once turned into the menu bar taken and let go at once.
    tasto("alt", True), tasto("alt", False)
    c.fuochi_fino(segno, [C("Autore")], 'the menu item "Autore" highlighted after Alt')
    tasti("Return")
    dialogo = attendi(lambda: finestra(app, "Autore", dialogo=True), 'the author screen "Autore"')
    attendi(lambda: ha(dialogo, pyatspi.STATE_ACTIVE), "the author screen with the keyboard")
    autore = [] if WAYLAND else finestre_x(c.pid, "Autore")
    caso.verifica(WAYLAND or len(autore) == 1 and "not found" in icona(autore[0]), "the author screen should have no _NET_WM_ICON")
    # The Enter that opened it was let go there: the next one presses its button.
    tasti("Return")
    attendi(lambda: finestra(app, "Autore", dialogo=True) is None, "Enter on the author screen just opened by Enter to close it")


def caso_sensore(caso):
    """With an acceptance time of 300 ms "3" held 0.1 s does nothing and "5" held 0.6 s acts; in inverse
    scanning the highlight moves while SPACE is held, and letting it go chooses the table highlighted."""
    with open(os.path.join(caso.cartella("config/calcolino"), "profili.json"), "w") as f:
        f.write('{"profilo": "L", "profili": {"L": {"accettazione_ms": 300}, "I": {"scansione": true, "periodo_ms": 500, '
                '"scansione_inversa": true}}}')
    for profilo in "LI":
        c = caso.avvia({"XDG_CONFIG_HOME": caso.cartella("config")}, argomenti=["--profilo=" + profilo])
        _, inizio = c.inizio()
        segno = len(FUOCHI)
        if profilo == "L":  # the holds timed by xdotool itself, in one process
            subprocess.run(["xdotool", "keydown", "3", "sleep", "0.1", "keyup", "3", "keydown", "5", "sleep", "0.6", "keyup", "5"], check=True)
            visti = c.fuochi_fino(segno, [C("5")], 'the focus on "5" held 0.6 s')
            caso.verifica(visti == [C("5")], '"3" held 0.1 s, "5" 0.6 s should highlight "5" alone; the focus went: %s' % visti)
            c.ferma()
            continue
        tasto("space", True)  # held until the highlight has moved twice
        attendi(lambda: len(c.fuochi(segno)) >= 2, "the highlight to move twice while SPACE is held")
        tasto("space", False)
        visti = c.fuochi_fino(segno, [C("Vai")], 'the focus on "Vai" once SPACE is let go')
        caso.verifica(visti[:-1] == [C(str(n)) for n in range(1, len(visti))], "SPACE held and let go moved the focus: %s" % visti)
        attendi(lambda: any(re.fullmatch("Tabella (del |dell'|dello )" + visti[-2][1], nome(e)) for e in tutti(inizio, pyatspi.ROLE_LABEL)),
                'the table "%s", highlighted when SPACE was let go, chosen' % visti[-2][1])


def caso_wayland(caso):
    """Natively on Wayland, with the platform chosen by Qt or asked for: the start screen, silent,
    any mouse button presses the button under the pointer, on the press; a modal dialog."""
    piattaforme = [{"QT_QPA_PLATFORM": p} for p in [None, "wayland", "wayland-egl"]]
    if os.environ.get("XWAYLAND_DISPLAY"):  # and through XWayland, as an X11 program
        piattaforme.append({"QT_QPA_PLATFORM": "xcb", "DISPLAY": os.environ["XWAYLAND_DISPLAY"]})
    for cambi in piattaforme:
        c = caso.avvia(cambi)
        # (Headless weston has no keyboard: no window of it is ever active.)
        inizio = finestra(c.app(), INIZIO)
        cinque = attendi(lambda: uno(inizio, pyatspi.ROLE_PUSH_BUTTON, "5"), 'the start screen\'s "5"')
        if WAYLAND:
            # The right button on "5": the table is chosen before it is let go. The point is taken
            # once the window fills the screen for sway and the program (the last copy's may linger).
            def punto():
                f, b = finestra_sway(c.pid)["rect"], cinque.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
                return pieno(c.pid, inizio) and (f["x"] + b.x + b.width // 2, f["y"] + b.y + b.height // 2, 1024, 768, 0x111)
            punto_ = attendi(punto, "the start screen filling sway's screen")
            WAYLAND.bottone(*punto_, True)
            attendi(lambda: uno(inizio, pyatspi.ROLE_LABEL, "Tabella del 5"), 'the label "Tabella del 5" on the press')
            WAYLAND.bottone(*punto_, False)
            # The desktop file's name as the app id, which leads the desktop to the icon.
            app_id = finestra_sway(c.pid).get("app_id")
            caso.verifica(app_id == "org.example.Calcolino", "the app id should be the desktop file's name: %r" % app_id)
        c.ferma()
        caso.verifica(not c.detto(), "with QT_QPA_PLATFORM=%s the program printed: %r" % (cambi["QT_QPA_PLATFORM"], c.detto()))
    # A modal dialog of its own over the start screen: the teacher's settings, asked for at start.
    c = caso.avvia(argomenti=["--impostazioni"])
    attendi(lambda: finestra(c.app(), "Impostazioni di Calcolino", dialogo=True), "the settings dialog")


CASI = [
    ("keys held on the start screen", caso_tenuti_inizio),
    ("numeric keypad with Num Lock off", caso_num_lock),
    ("print screen without a printer", caso_stampa_senza_stampante),
    ("odd things named ImpostazioniZu.dat", caso_file_strani),
    ("no session bus", caso_senza_bus),
    ("author screen by keys, its icon", caso_autore),
    ("switch settings held for real", caso_sensore),
    ("native Wayland", caso_wayland),
]


def main():
    programma = os.path.abspath(sys.argv[1])
    scelti = [int(n) for n in sys.argv[2:]] or range(1, len(CASI))  # the last, Wayland's, when asked
    if not (os.environ.get("DISPLAY") or os.environ.get("WAYLAND_DISPLAY")) or not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        sys.exit("real_session: run me inside tests/xsession.sh --a11y")
    global WAYLAND
    WAYLAND = Wayland() if os.environ.get("SWAYSOCK") else None
    # What the copies leave behind when they end comes to us, to be seen and ended.
    ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
    if os.environ.get("DISPLAY"):  # a held key repeats quickly: a short hold gives many repeats
        subprocess.run(["xset", "r", "on"], check=True)
        subprocess.run(["xset", "r", "rate"] + RIPETIZIONE, check=True)
    pyatspi.Registry.registerEventListener(su_fuoco, "object:state-changed:focused")
    falliti = 0
    for numero in scelti:
        titolo, fai = CASI[numero - 1]
        caso = Caso(programma)
        t = time.monotonic()
        try:
            fai(caso)
        except Exception as e:  # a step that never came, or the harness's own trouble (AT-SPI, xdotool)
            caso.problemi.append(str(e) if isinstance(e, Fallito) else "%s: %s" % (type(e).__name__, e))
        finally:
            caso.chiudi()
        falliti += bool(caso.problemi)
        print("real_session: %d %s: %s (%.1f s)" % (numero, titolo, "FAIL" if caso.problemi else "PASS", time.monotonic() - t))
        for p in caso.problemi:
            print("  - " + p)
        sys.stdout.flush()
    print("real_session: %d of %d cases failed" % (falliti, len(scelti)))
    return 1 if falliti else 0


if __name__ == "__main__":
    sys.exit(main())
