#pragma once
#include <QTranslator>

// Italian for the texts of Qt's print dialog that Qt's own Italian translation lacks. Installed
// after Qt's, it is asked first, and answers nothing but these.
class PrintTexts : public QTranslator {
public:
    // Once for the run, the first time the print screen opens.
    static void install();
    QString translate(const char *context, const char *source, const char *disambiguation, int n) const override;
    bool isEmpty() const override { return false; }
};
