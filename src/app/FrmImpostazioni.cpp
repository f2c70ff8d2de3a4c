#include "app/FrmImpostazioni.h"
#include "app/Impostazioni.h"
#include "app/Programma.h"
#include "start/FrmInizio.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

namespace {
using I = Impostazioni;

QPushButton *button(const char *name, const QString &text)
{
    auto *b = new QPushButton(text);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false); // Enter in a field does not save or delete
    return b;
}

QLabel *line(const char *name)
{
    auto *l = new QLabel;
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    return l;
}

QString seconds(int ms) { return QLocale(QLocale::Italian).toString(ms / 1000.0, 'g', 3); }
}

FrmImpostazioni::FrmImpostazioni(Programma &programma, Impostazioni &settings, QWidget *parent)
    : QDialog(parent), m_programma(programma), m_settings(settings)
{
    setObjectName(QStringLiteral("frmImpostazioni"));
    setWindowTitle(QStringLiteral("Impostazioni di Calcolino"));
    setModal(true); // the pupil's screens wait meanwhile
    setLocale(QLocale(QLocale::Italian));
    auto *form = new QFormLayout(this);
    m_unreadable = line("lblNonLette");
    m_unreadable->setStyleSheet(QStringLiteral("color: #a00000"));
    form->addRow(m_unreadable);

    m_profiles = new QComboBox;
    m_profiles->setObjectName(QStringLiteral("cboProfilo"));
    connect(m_profiles, &QComboBox::activated, this, [this] {
        m_settings.choose(m_profiles->currentText());
        changed();
    });
    m_remove = button("cmdElimina", QStringLiteral("Elimina"));
    connect(m_remove, &QPushButton::clicked, this, &FrmImpostazioni::removeProfile);
    auto *profileRow = new QHBoxLayout;
    profileRow->addWidget(m_profiles, 1);
    profileRow->addWidget(m_remove);
    form->addRow(QStringLiteral("Profilo dell'alunno"), profileRow);
    m_newName = new QLineEdit;
    m_newName->setObjectName(QStringLiteral("txtNuovoProfilo"));
    m_newName->setPlaceholderText(QStringLiteral("nome dell'alunno"));
    auto *add = button("cmdNuovo", QStringLiteral("Nuovo profilo"));
    connect(add, &QPushButton::clicked, this, &FrmImpostazioni::addProfile);
    connect(m_newName, &QLineEdit::returnPressed, this, &FrmImpostazioni::addProfile);
    auto *newRow = new QHBoxLayout;
    newRow->addWidget(m_newName, 1);
    newRow->addWidget(add);
    form->addRow(QString(), newRow);

    for (int s = 0; s < I::Count; ++s) {
        const I::Info &info = I::info(I::Setting(s));
        // A number counts once the teacher has finished typing it (Enter, or another field or
        // button chosen): counted at each keystroke, "1,5" was written back as "1,0" at the comma.
        const auto set = [this, s](int v) {
            if (!m_refreshing) {
                m_settings.set(I::Setting(s), v);
                changed();
            }
        };
        QWidget *editor = nullptr;
        if (info.kind == I::OnOff) {
            auto *c = new QCheckBox(QString::fromUtf8(info.label));
            connect(c, &QCheckBox::toggled, this, set);
            editor = c;
        } else if (info.kind == I::Choice) {
            auto *c = new QComboBox;
            c->addItems(I::highlights());
            connect(c, &QComboBox::currentIndexChanged, this, set);
            editor = c;
        } else if (info.kind == I::Number) {
            auto *n = new QSpinBox;
            n->setRange(info.min, info.max);
            n->setKeyboardTracking(false);
            connect(n, &QSpinBox::valueChanged, this, set);
            editor = n;
        } else { // seconds, or times the period: a tenth of a second, half a period at a time
            auto *d = new QDoubleSpinBox;
            const double unit = info.kind == I::Percent ? 100 : 1000;
            d->setDecimals(1);
            d->setKeyboardTracking(false);
            d->setSingleStep(info.kind == I::Percent ? 0.5 : 0.1);
            d->setRange(info.min / unit, info.max / unit);
            d->setSuffix(info.kind == I::Percent ? QStringLiteral(" \u00d7") : QStringLiteral(" s"));
            connect(d, &QDoubleSpinBox::valueChanged, this, [set, unit](double v) { set(qRound(v * unit)); });
            editor = d;
        }
        editor->setObjectName(QLatin1String(info.key));
        if (info.kind == I::OnOff)
            form->addRow(editor); // its text is its label
        else
            form->addRow(QString::fromUtf8(info.label), editor);
        m_editors.push_back(editor);
    }
    m_voice = line("lblVoce");
    m_voice->setStyleSheet(QStringLiteral("color: #a00000"));
    form->addRow(m_voice);
    connect(&programma, &Programma::voiceTroubleChanged, this, &FrmImpostazioni::refresh);
    m_override = line("lblRigaDiComando");
    form->addRow(m_override);
    m_status = line("lblStato");
    form->addRow(m_status);
    auto *saveButton = button("cmdSalva", QStringLiteral("Salva"));
    auto *close = button("cmdChiudi", QStringLiteral("Chiudi"));
    connect(saveButton, &QPushButton::clicked, this, &FrmImpostazioni::save);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveButton);
    buttons->addWidget(close);
    form->addRow(buttons);
}

void FrmImpostazioni::attach(Programma &programma, Impostazioni &settings)
{
    FrmInizio *inizio = &programma.frmInizio();
    connect(inizio, &FrmInizio::settingsRequested, inizio, [&programma, &settings] { open(programma, settings); });
}

FrmImpostazioni *FrmImpostazioni::open(Programma &programma, Impostazioni &settings)
{
    FrmInizio *inizio = &programma.frmInizio();
    auto *f = inizio->findChild<FrmImpostazioni *>();
    if (!f)
        f = new FrmImpostazioni(programma, settings, inizio);
    f->refresh();
    f->show();
    f->raise();
    f->activateWindow();
    return f;
}

void FrmImpostazioni::refresh()
{
    m_refreshing = true;
    m_profiles->clear();
    m_profiles->addItems(m_settings.names());
    m_profiles->setCurrentText(m_settings.current());
    m_remove->setEnabled(m_profiles->count() > 1);
    for (int s = 0; s < I::Count; ++s) {
        const int v = m_settings.value(I::Setting(s));
        QWidget *e = m_editors[size_t(s)];
        if (auto *c = qobject_cast<QCheckBox *>(e))
            c->setChecked(v != 0);
        else if (auto *c = qobject_cast<QComboBox *>(e))
            c->setCurrentIndex(v);
        else if (auto *n = qobject_cast<QSpinBox *>(e))
            n->setValue(v);
        else if (auto *d = qobject_cast<QDoubleSpinBox *>(e))
            d->setValue(v / (I::info(I::Setting(s)).kind == I::Percent ? 100.0 : 1000.0));
    }
    m_refreshing = false;
    m_unreadable->setText(QStringLiteral("Le impostazioni salvate in %1 non si sono potute leggere: ora valgono quelle "
                                         "iniziali. Il file resta com'\u00e8 finch\u00e9 non si preme \u00abSalva\u00bb.")
                              .arg(m_settings.path()));
    m_unreadable->setVisible(m_settings.unreadable());
    if (m_settings.scanOverrideMs)
        m_override->setText(QStringLiteral("Per questa volta la riga di comando ha acceso la scansione automatica, ogni "
                                           "%1 s; cambiandola qui vale quella scelta qui.")
                                .arg(seconds(*m_settings.scanOverrideMs)));
    m_override->setVisible(bool(m_settings.scanOverrideMs));
    m_voice->setText(m_programma.voiceTrouble());
    m_voice->setVisible(m_settings.voiceOn() && !m_voice->text().isEmpty());
}

void FrmImpostazioni::changed()
{
    m_programma.applySettings(m_settings);
    refresh();
    m_status->setText(m_settings.modified() ? QStringLiteral("Valgono da subito. \u00abSalva\u00bb le conserva per le "
                                                             "prossime volte.")
                                            : QString());
}

void FrmImpostazioni::save()
{
    QString why;
    const bool ok = m_settings.save(&why);
    refresh();
    m_status->setText(ok ? QStringLiteral("Salvate in %1.").arg(m_settings.path()) : why);
}

void FrmImpostazioni::addProfile()
{
    if (!m_settings.add(m_newName->text())) {
        m_status->setText(QStringLiteral("Scrivere un nome che non c'\u00e8 ancora (al massimo 40 caratteri)."));
        return;
    }
    m_newName->clear();
    changed();
}

void FrmImpostazioni::removeProfile()
{
    const QString name = m_settings.current();
    QMessageBox ask(QMessageBox::Warning, QStringLiteral("Elimina profilo"),
                    QStringLiteral("Eliminare per sempre il profilo \u00ab%1\u00bb? Le impostazioni vengono salvate "
                                   "subito.").arg(name),
                    QMessageBox::NoButton, this);
    QPushButton *yes = ask.addButton(QStringLiteral("Elimina"), QMessageBox::DestructiveRole);
    ask.setDefaultButton(ask.addButton(QStringLiteral("Annulla"), QMessageBox::RejectRole));
    ask.exec();
    if (ask.clickedButton() != yes)
        return;
    m_settings.remove(name);
    changed();
    save();
}
