#include "ui/helpwindow.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/unit1.h"

HelpWindow* Help = nullptr;

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent)
{
    Help = this;
    setWindowTitle(QStringLiteral("Как играть"));
    Browser = new QTextBrowser(this);
    Browser->setOpenExternalLinks(false);
    QFile page(QStringLiteral(":/help/howto.html"));
    if (page.open(QIODevice::ReadOnly)) Browser->setHtml(QString::fromUtf8(page.readAll()));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Browser);
    resize(620, 640);
}

void ShowHelp()
{
    if (!Help) new HelpWindow(Form1);
    Help->show();
    Help->raise();
    Help->activateWindow();
}
