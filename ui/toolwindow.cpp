#include "ui/toolwindow.h"

#include <QCloseEvent>
#include <QDockWidget>

// The dock's close box goes through the panel, so that its menu item follows.
class PanelDock : public QDockWidget {
public:
    PanelDock(QWidget* parent, ToolWindow* contents) : QDockWidget(parent), contents(contents) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        hide();
        contents->FormClose();
    }

private:
    ToolWindow* contents;
};

ToolWindow::ToolWindow(QWidget* parent, bool sizable) : QWidget(nullptr), panel(new PanelDock(parent, this))
{
    panel->setWidget(this);
    panel->hide();
    if (!sizable) setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ToolWindow::setShown(bool shown)
{
    panel->setVisible(shown);
    if (shown) panel->raise(); // brings a tabbed panel to the front
}

bool ToolWindow::shown() const { return !panel->isHidden(); }

void ToolWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    panel->hide();
    FormClose();
}

void ToolWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowTitleChange) panel->setWindowTitle(windowTitle());
    QWidget::changeEvent(event);
}
