#include "ui/unit3.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>

#include "engine/search.h"
#include "ui/boardview.h"
#include "game/book.h"
#include "game/control.h"
#include "game/drawrules.h"
#include "game/settings.h"
#include "ui/fonts.h"
#include "ui/unit1.h"

TForm3* Form3 = nullptr;

namespace {

// A small open-folder picture for the file button.
QIcon folderIcon()
{
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(140, 100, 20), 1));
    p.setBrush(QColor(236, 190, 80));
    p.drawRoundedRect(QRectF(1.5, 3.5, 8, 4), 1, 1);
    p.drawRect(QRectF(1.5, 5.5, 15, 10));
    p.setBrush(QColor(250, 214, 110));
    QPolygonF flap;
    flap << QPointF(3.5, 8.5) << QPointF(17, 8.5) << QPointF(15.5, 15.5) << QPointF(1.5, 15.5);
    p.drawPolygon(flap);
    return QIcon(pixmap);
}

QToolButton* arrowButton(Qt::ArrowType arrow, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    return button;
}

} // namespace

QString libraryLabelText(const QString& fullName)
{
    // Either separator ends the folder part.
    QString name = fullName;
    const int cut = std::max(name.lastIndexOf('/'), name.lastIndexOf('\\'));
    return name.mid(cut + 1);
}

TForm3::TForm3(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    Form3 = this;
    setWindowTitle(QStringLiteral("Настройки программы..."));
    setFixedSize(294, 308);

    GroupBox1 = new QGroupBox(QStringLiteral("База эндшпилей"), this);
    GroupBox1->setGeometry(8, 4, 278, 46);
    CheckBox1 = new QCheckBox(QStringLiteral("Расширенная ничья"), GroupBox1);
    CheckBox1->setGeometry(10, 20, 260, 20);
    CheckBox1->setChecked(true);

    GroupBox2 = new QGroupBox(QStringLiteral("Дебютная библиотека"), this);
    GroupBox2->setGeometry(8, 54, 278, 100);
    CheckBox2 = new QCheckBox(QStringLiteral("Использовать дебютную библиотеку"), GroupBox2);
    CheckBox2->setGeometry(10, 20, 260, 20);
    CheckBox2->setChecked(true);
    SpeedButton1 = new QToolButton(GroupBox2);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setIcon(folderIcon());
    SpeedButton1->setGeometry(10, 44, 26, 24);
    Label1 = new QLabel(QStringLiteral("MyBase.deb"), GroupBox2);
    Label1->setFont(fixedPitchFont(13, true));
    Label1->setGeometry(42, 46, 228, 20);
    Label2 = new QLabel(QStringLiteral("Использовать тихих ходов из ДБ"), GroupBox2);
    Label2->setGeometry(10, 72, 204, 20);
    Edit1 = new QLineEdit(QStringLiteral("10"), GroupBox2);
    Edit1->setReadOnly(true);
    Edit1->setAlignment(Qt::AlignRight);
    Edit1->setGeometry(216, 71, 32, 22);
    UpDown1Up = arrowButton(Qt::UpArrow, GroupBox2);
    UpDown1Up->setGeometry(249, 71, 17, 11);
    UpDown1Down = arrowButton(Qt::DownArrow, GroupBox2);
    UpDown1Down->setGeometry(249, 82, 17, 11);

    GroupBox3 = new QGroupBox(QStringLiteral("Дизайн доски"), this);
    GroupBox3->setGeometry(8, 158, 278, 82);
    RadioButton1 = new QRadioButton(QStringLiteral("RZ DFesign 1"), GroupBox3);
    RadioButton1->setGeometry(10, 20, 200, 19);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("Korvel Design"), GroupBox3);
    RadioButton2->setGeometry(10, 40, 200, 19);
    RadioButton3 = new QRadioButton(QStringLiteral("Plastic Design"), GroupBox3);
    RadioButton3->setGeometry(10, 60, 200, 19);

    // Off by default: the federation's rules end dead endings only when asked for.
    CheckBox5 = new QCheckBox(QStringLiteral("Правила ничьей (ФШР)"), this);
    CheckBox5->setGeometry(18, 246, 168, 22);
    Label3 = new QLabel(QStringLiteral("Потоки"), this);
    Label3->setGeometry(192, 247, 50, 20);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setRange(1, logicalProcessors());
    SpinEdit1->setValue(gameSearchThreads());
    SpinEdit1->setAlignment(Qt::AlignRight);
    SpinEdit1->setGeometry(242, 246, 44, 22);

    Button2 = new QPushButton(QStringLiteral("Цвет края доски"), this);
    Button2->setGeometry(8, 274, 120, 25);
    Button2->hide();
    CheckBox3 = new QCheckBox(QStringLiteral("Разметка"), this);
    CheckBox3->setGeometry(140, 274, 80, 20);
    CheckBox3->hide();
    CheckBox4 = new QCheckBox(QStringLiteral("Показывать ход"), this);
    CheckBox4->setGeometry(18, 276, 160, 22);
    CheckBox4->setChecked(true);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setGeometry(208, 274, 78, 26);
    Button1->setDefault(true);

    connect(CheckBox1, &QCheckBox::clicked, this, &TForm3::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TForm3::CheckBox2Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm3::SpeedButton1Click);
    connect(UpDown1Up, &QToolButton::clicked, this, [this] { UpDown1Click(true); });
    connect(UpDown1Down, &QToolButton::clicked, this, [this] { UpDown1Click(false); });
    connect(RadioButton1, &QRadioButton::clicked, this, &TForm3::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TForm3::RadioButton2Click);
    connect(RadioButton3, &QRadioButton::clicked, this, &TForm3::RadioButton3Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    connect(CheckBox3, &QCheckBox::clicked, this, &TForm3::CheckBox3Click);
    connect(CheckBox4, &QCheckBox::clicked, this, &TForm3::CheckBox4Click);
    connect(CheckBox5, &QCheckBox::clicked, this, &TForm3::CheckBox5Click);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TForm3::SpinEdit1Change);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);

    ShowSettings();
}

void TForm3::ShowSettings()
{
    CheckBox1->setChecked(extendedDraw);
    CheckBox2->setChecked(bookEnabled);
    CheckBox2Click(); // the library's controls follow the box
    Label1->setText(libraryLabelText(QString::fromStdString(libraryFileName)));
    Edit1->setText(QString::number(bookQuietMoves));
    (designBase == 6 ? RadioButton2 : designBase == 12 ? RadioButton3 : RadioButton1)->setChecked(true);
    CheckBox3->setChecked(marksShown);
    CheckBox4->setChecked(showMove);
    CheckBox5->setChecked(officialDrawRules);
}

void TForm3::CheckBox1Click() { extendedDraw = CheckBox1->isChecked(); }

void TForm3::CheckBox2Click()
{
    const bool on = CheckBox2->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(SpeedButton1), static_cast<QWidget*>(Label1),
                       static_cast<QWidget*>(Label2), static_cast<QWidget*>(Edit1),
                       static_cast<QWidget*>(UpDown1Up), static_cast<QWidget*>(UpDown1Down)})
        w->setEnabled(on);
    bookEnabled = on;
}

void TForm3::SpeedButton1Click()
{
    const QString name = QFileDialog::getOpenFileName(this, QString(), QString(),
                                                      QStringLiteral("Библиотека дебютов (*.deb)"));
    if (name.isEmpty()) return;
    libraryFileName = name.left(255).toStdString();
    LoadLibrary(); // on failure it says so and the previous library stays
    Label1->setText(libraryLabelText(name.left(255)));
}

void TForm3::UpDown1Click(bool up)
{
    if (up && bookQuietMoves < maxBookQuietMoves) ++bookQuietMoves;
    if (!up && bookQuietMoves > minBookQuietMoves) --bookQuietMoves;
    Edit1->setText(QString::number(bookQuietMoves));
}

void TForm3::RadioButton1Click() { designBase = 0; }
void TForm3::RadioButton2Click() { designBase = 6; }
void TForm3::RadioButton3Click() { designBase = 12; }

void TForm3::Button2Click()
{
    const QColor colour = QColorDialog::getColor(Qt::white, this);
    if (colour.isValid() && Form1) Form1->setBorderColour(colour);
}

void TForm3::CheckBox3Click() { marksShown = CheckBox3->isChecked(); }
void TForm3::CheckBox4Click() { showMove = CheckBox4->isChecked(); }
void TForm3::CheckBox5Click() { officialDrawRules = CheckBox5->isChecked(); }
// The next search takes the new number; a running one keeps its threads.
void TForm3::SpinEdit1Change(int threads) { threadsChosen = threads; }

void TForm3::showEvent(QShowEvent* event)
{
    const QSignalBlocker quiet(SpinEdit1);
    SpinEdit1->setRange(1, logicalProcessors());
    SpinEdit1->setValue(gameSearchThreads());
    QDialog::showEvent(event);
}

void TForm3::Button1Click()
{
    hide();
    if (!gameControl.thinking && Form1) Form1->DrawBoard();
}

void TForm3::reject()
{
    QDialog::reject();
    FormClose();
}

void TForm3::FormClose()
{
    if (Form1) Form1->DrawBoard();
}
