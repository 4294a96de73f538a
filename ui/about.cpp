#include "ui/about.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "ui/artwork.h"

TAboutBox* AboutBox = nullptr;

namespace {
constexpr int pictureWidth = 305;
constexpr int pictureHeight = 301;

const char aboutText[] =
    "Korvel 1.01\n"
    "\n"
    "Программа для игры в русские шашки: "
    "шашки гроссмейстерского уровня.\n"
    "\n"
    "Перебор с альфа-бета отсечениями и итеративным углублением, "
    "дебютная библиотека, базы эндшпилей.\n"
    "\n"
    "Программа, доска и звуки: команда Korvel.";
} // namespace

QPixmap aboutPicture()
{
    const QVector<QPixmap> squares = makePictureList(52);
    QPixmap picture(pictureWidth, pictureHeight);
    QPainter p(&picture);
    QLinearGradient frame(0, 0, pictureWidth, pictureHeight);
    frame.setColorAt(0, QColor(96, 58, 28));
    frame.setColorAt(1, QColor(58, 32, 14));
    p.fillRect(picture.rect(), frame);
    // A 5 x 5 corner of the board, the design's light and dark squares with pieces.
    const char* rows[5] = {".b.b.", "b.W..", ".....", "..w.w", ".w.w."};
    const int cell = 52, left = (pictureWidth - 5 * cell) / 2, top = (pictureHeight - 5 * cell) / 2;
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 5; ++c) {
            const bool dark = (r + c) % 2 == 1;
            int kind = dark ? EmptyDarkSquare : LightSquare;
            switch (rows[r][c]) {
            case 'b': kind = BlackMan; break;
            case 'w': kind = WhiteMan; break;
            case 'W': kind = WhiteKing; break;
            default: break;
            }
            p.drawPixmap(left + c * cell, top + r * cell, squares[kind]);
        }
    }
    p.setPen(QPen(QColor(30, 16, 6), 2));
    p.drawRect(left - 1, top - 1, 5 * cell + 1, 5 * cell + 1);
    p.end();
    return picture;
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    AboutBox = this;
    setWindowTitle(QStringLiteral("О программе..."));
    setFixedSize(pictureWidth + 16 + 240, pictureHeight + 16);
    Image1 = new QLabel(this);
    Image1->setGeometry(8, 8, pictureWidth, pictureHeight);
    Image1->setPixmap(aboutPicture());
    Memo1 = new QPlainTextEdit(QString::fromUtf8(aboutText), this);
    Memo1->setGeometry(pictureWidth + 16, 8, 232, pictureHeight - 40);
    Memo1->setReadOnly(true);
    Memo1->setFrameStyle(0);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->viewport()->setAutoFillBackground(false);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setGeometry(width() - 8 - 80, height() - 8 - 28, 80, 28);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TAboutBox::Button1Click);
    // Centred on the desktop.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

// "Ok" is the default and the cancel button: Enter and Escape both close the box.
void TAboutBox::Button1Click() { accept(); }
