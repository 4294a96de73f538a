// A panel of the main window (clock, information, variation, book, notation, graph):
// the panel's contents live in this widget, which sits in a dock of the main window.
// The dock can be closed (its menu item loses its mark), floated and docked again; it
// never stays on top of the board.
#pragma once

#include <QWidget>

class QDockWidget;

class ToolWindow : public QWidget {
    Q_OBJECT
public:
    ToolWindow(QWidget* parent, bool sizable);

    QDockWidget* dock() const { return panel; }
    // The panel is shown or hidden, wherever it is docked or floating.
    void setShown(bool shown);
    bool shown() const;

protected:
    // The contents' own close (and the dock's close box) hide the panel.
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Runs when the close box hides the panel.
    virtual void FormClose() = 0;

private:
    friend class PanelDock;
    QDockWidget* panel;
};
