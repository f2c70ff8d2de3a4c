#include "print/FrmStampa.h"

FrmStampa::FrmStampa(const QStringList &rows, int rowCount, int table, QWidget *parent)
    : QWidget(parent), m_rows(rows), m_rowCount(rowCount), m_table(table)
{
    setObjectName(QStringLiteral("frmStampa"));
    setAttribute(Qt::WA_DeleteOnClose);
}

FrmStampa *FrmStampa::apri(const QStringList &rows, int rowCount, int table, bool modal)
{
    auto *f = new FrmStampa(rows, rowCount, table);
    f->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    f->show();
    return f;
}
