// The book window "Книга": the library moves of the position, or the endgame
// verdicts of its moves.
#pragma once

#include "ui/toolwindow.h"

class QPlainTextEdit;

class TForm7 : public ToolWindow {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    void ClearText();
    // Appends to the first line; the box wraps it.
    void AppendToFirstLine(const QString& text);
    // Replaces the whole text (the endgame verdicts come one per line).
    void SetText(const QString& text);
    QString text() const;

    QPlainTextEdit* Memo1;

protected:
    void FormClose() override;
};

extern TForm7* Form7;
