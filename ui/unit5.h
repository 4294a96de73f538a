// The principal variation window "Основной вариант".
#pragma once

#include "ui/toolwindow.h"

class QPlainTextEdit;

class TForm5 : public ToolWindow {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    void ShowVariation(const QString& text);

    QPlainTextEdit* Memo1;

protected:
    void FormClose() override;
};

// The variation text cut into lines of 12 characters, two moves a line; a
// last remainder of a single character is dropped.
QStringList variationLines(const QString& text);

extern TForm5* Form5;
