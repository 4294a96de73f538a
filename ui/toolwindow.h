// A small tool window that hides when closed and tells its menu item.
#pragma once

#include <QWidget>

class ToolWindow : public QWidget {
    Q_OBJECT
public:
    ToolWindow(QWidget* parent, bool sizable);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Runs when the close box hides the window.
    virtual void FormClose() = 0;
};
