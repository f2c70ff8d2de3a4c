#pragma once

class QApplication;
class QSize;
class QWidget;

// What the program asks of the desktop before and after the application object exists, so that
// it writes nothing of its own, starts nothing that outlives it and speaks Italian throughout.
// Each measure has its file in app/platform/, which says the platform it serves.
namespace Platform {
// Whether the window system in use is X11, once the application exists.
bool isX11();
// Before the application: without a session bus, or with one to be started for us (autolaunch),
// the D-Bus library would start one itself, which writes under the home and outlives the
// program. The desktop's bus is still used.
void noBusOfOurOwn();
// Around the making of the application: where there is no display the toolkit gives up with
// English messages and an abort; the teacher gets one Italian line and status 1 instead.
void exitQuietlyWithoutDisplay();
void displayFound();
// After the application: under X11 the server is asked to send no release for the repeats of a
// held key, so that the toolkit's buttons, which act on a key's release, act once.
void detectableAutoRepeat();
// The file dialog keeps a history file of its own: nothing of it is read or written.
void noSettingsFiles();
// Before one of Qt's own dialogs (print, file) opens: no settings files, Qt's texts in Italian.
void beforeQtDialog();
// Qt's own texts (print, file, overwrite question dialogs; the names of actions said by assistive
// technology) in Italian, whatever the locale. The translation is read when first needed: by
// beforeQtDialog(), or when assistive technology connects.
void italian(QApplication &app);
void italianQtTexts();
// The toolkit's own style, except that the menu bar's overflow button, which only a very narrow
// window ever shows, gets its icon when it is first shown: read with every menu bar, that icon
// had the toolkit look through all its image plugins, and load some, at every start.
void menuBarIconWhenShown();
// A window's image buffer gets all its memory in one go before the window's first paint, not
// a page at a time as that paint first touches it: on a virtual machine the 2,000 page faults
// of a maximized window's 8 MB buffer cost the pupil tens of milliseconds. No pixel changes.
// Not on Wayland, where there is no buffer before the first paint.
void windowBuffersAtOnce();
// The hidden `window` gets the size `size`, its native window and an image buffer of that size,
// memory included, and is painted once into that buffer: shown later at that size, it is
// painted at once, with no resize and nothing left to make ready. On Wayland only the size.
void prepareWindow(QWidget &window, QSize size);
// With assistive technology connected, Alt pressed and let go takes the keyboard to the menu
// bar however quickly the release follows the press.
void altTakesMenuBarOnce(QApplication &app);
// All of the above that comes after the application, and the program's names (on Wayland the
// desktop file's name finds the icon); the start screen alone ends the run.
void afterApplication(QApplication &app);
}
