#pragma once
#include <QStringList>
#include <QWidget>

// The print screen: a page preview of the pupil's work, to print or save as PDF.
class FrmStampa : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList rows READ rows)
    Q_PROPERTY(int rowCount READ rowCount)
    Q_PROPERTY(int table READ table)
public:
    FrmStampa(const QStringList &rows, int rowCount, int table, QWidget *parent = nullptr);
    QStringList rows() const { return m_rows; }
    int rowCount() const { return m_rowCount; }
    int table() const { return m_table; }

    // Opens the print screen with the print rows; modal or not, as the caller needs.
    static FrmStampa *apri(const QStringList &rows, int rowCount, int table, bool modal);

private:
    QStringList m_rows;
    int m_rowCount;
    int m_table;
};
