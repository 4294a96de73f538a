// "Помощь" → "Как играть": a page in Russian on the rules, entering moves and captures,
// setup, the panels, the levels, the hint and the analysis.
#pragma once

#include <QDialog>

class QTextBrowser;

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QTextBrowser* Browser;
};

extern HelpWindow* Help;
// Shows the page, creating its window at the first call.
void ShowHelp();
