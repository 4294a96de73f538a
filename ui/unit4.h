// The clock window "Часы": the seconds used by each side.
#pragma once

#include "ui/toolwindow.h"

class QLabel;
class QTimer;

class TForm4 : public ToolWindow {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    QLabel* Label2; // White's time
    QLabel* Label3; // Black's time
    QTimer* Timer1;

    // The labels show the clocks' totals.
    void ShowClocks();

public slots:
    void Timer1Timer();

protected:
    void FormClose() override;
};

extern TForm4* Form4;
