#include "ui/toolwindow.h"

#include <QCloseEvent>

ToolWindow::ToolWindow(QWidget* parent, bool sizable)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          (sizable ? Qt::WindowFlags() : Qt::MSWindowsFixedSizeDialogHint))
{
}

void ToolWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
    FormClose();
}
