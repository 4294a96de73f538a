#include "ui/gamechoice.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "ui/unit6.h"

TGameChoice* GameChoice = nullptr;

TGameChoice::TGameChoice(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    GameChoice = this;
    setWindowTitle(QStringLiteral("Выбор партии"));
    setFixedSize(480, 300);
    auto* label = new QLabel(QStringLiteral("В файле несколько партий. Загрузить:"), this);
    label->setGeometry(8, 6, 464, 18);
    ListBox1 = new QListWidget(this);
    ListBox1->setGeometry(8, 28, 464, 228);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setGeometry(312, 266, 78, 26);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Отмена"), this);
    Button2->setGeometry(394, 266, 78, 26);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

int TGameChoice::ChooseGame(const QStringList& summaries) { return chooseLine(*this, *ListBox1, summaries); }
