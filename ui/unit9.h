// The information window "Информация": seven labelled fields of the search.
#pragma once

#include "ui/toolwindow.h"

class QLabel;

class TForm9 : public ToolWindow {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);

    static constexpr int fieldCount = 7;
    // Lines 1 to 7: depth, best move, score, speed, bitbase queries, analysis time, processed.
    void setField(int line, const QString& text);
    QString field(int line) const;
    // Empties lines 1 to 5; the analysis time and the processed count stay.
    void ClearInformation();

    // The value fields of lines 1 to 7; Label9 is "Время анализа:".
    QLabel *Label4, *Label5, *Label6, *Label7, *Label8, *Label9, *Label10;
    QLabel* captions[fieldCount];

protected:
    void FormClose() override;

private:
    QLabel* values[fieldCount];
};

extern TForm9* Form9;
