// The notation window "Нотация партии": the opening's name, the moves of the
// game with the current one selected, and buttons back and forward.
#pragma once

#include "ui/toolwindow.h"

class QLineEdit;
class QListWidget;
class QToolButton;

class TForm8 : public ToolWindow {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);

    void SetLines(const QStringList& lines);
    void ClearList();
    void SelectLine(int line); // 0-based
    void SetOpeningName(const QString& name);
    QStringList lines() const;

    QLineEdit* Edit1;
    QListWidget* ListBox1;
    QToolButton *SpeedButton1, *SpeedButton2;

public slots:
    void SpeedButton1Click();
    void SpeedButton2Click();

protected:
    void FormClose() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeControls();
};

extern TForm8* Form8;
