#pragma once
#include <QDialog>
#include <optional>
#include <vector>

class Impostazioni;
class Programma;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The teacher's settings screen: the pupil's profile and each setting in its range. A change
// holds at once for this run; "Salva" keeps it for the next ones. Reached only by the start
// screen's Ctrl+Alt with I, M, P, O or from the command line, never by a pupil's key, scan or click.
class FrmImpostazioni : public QDialog {
    Q_OBJECT
public:
    // The start screen's chord opens the settings from now on.
    static void attach(Programma &programma, Impostazioni &settings);
    // Opens them now, over the start screen (made once).
    static FrmImpostazioni *open(Programma &programma, Impostazioni &settings);

private:
    // Made by open(), which fills it in.
    FrmImpostazioni(Programma &programma, Impostazioni &settings, QWidget *parent);
    void refresh(); // shows the current profile
    void changed();
    void save();
    void addProfile();
    void removeProfile();

    Programma &m_programma;
    Impostazioni &m_settings;
    bool m_refreshing = false;
    QComboBox *m_profiles;
    QLineEdit *m_newName;
    QPushButton *m_remove;
    std::vector<QWidget *> m_editors; // by setting
    QLabel *m_unreadable;
    QLabel *m_override;
    QLabel *m_voice; // why there is no voice, when it is on
    QLabel *m_status;
};
