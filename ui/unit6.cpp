#include "ui/unit6.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "ui/fonts.h"

TForm6* Form6 = nullptr;

TForm6::TForm6(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    Form6 = this;
    setWindowTitle(QStringLiteral("Выбор хода"));
    setFixedSize(260, 230);
    Label1 = new QLabel(QStringLiteral("Есть несколько вариантов этого хода"), this);
    Label1->setGeometry(8, 6, 244, 18);
    Label2 = new QLabel(QStringLiteral("побитые шашки"), this);
    Label2->setGeometry(8, 24, 244, 18);
    ListBox1 = new QListWidget(this);
    ListBox1->setFont(fixedPitchFont(14));
    ListBox1->setGeometry(8, 44, 244, 142);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setGeometry(92, 196, 78, 26);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Отмена"), this);
    Button2->setGeometry(174, 196, 78, 26);
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm6::Button2Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TForm6::ListBox1DblClick);
}

int chooseLine(QDialog& dialog, QListWidget& list, const QStringList& lines)
{
    list.clear();
    list.addItems(lines);
    list.setCurrentRow(0);
    list.setFocus();
    if (dialog.exec() != QDialog::Accepted) return -1;
    return list.currentRow();
}

int TForm6::ChooseCapture(const QStringList& lines) { return chooseLine(*this, *ListBox1, lines); }

void TForm6::Button1Click() { accept(); }
void TForm6::Button2Click() { reject(); }
void TForm6::ListBox1DblClick() { accept(); }
