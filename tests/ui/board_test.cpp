// The board view: sizes and centring, what is drawn where (also turned), the
// change outlines, the marks, the designs, the setup panel and the pictures.
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>

#include "fixture.h"
#include "ui/artwork.h"
#include "ui/boardview.h"
#include "game/filecommands.h"
#include "game/record.h"
#include "game/settings.h"
#include "game/setup.h"
#include "ui/unit1.h"

namespace {

QImage boardImage() { return Form1->boardWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

const QVector<QPixmap>& currentPictures() { return Form1->currentPictures(); }

// The drawn square at screen column i, row j, as the unturned board places it.
QImage drawnCell(const QImage& board, int i, int j)
{
    const int cell = cellSize();
    return board.copy(QRect(squareCorner(i, j), QSize(cell, cell)));
}

QImage picture(int kind)
{
    return currentPictures()[designBase + kind].toImage().convertToFormat(QImage::Format_RGB32);
}

void setPictures(const char* now, const char* before)
{
    for (int k = 0; k < 64; ++k) {
        boardPicture[k] = now[k];
        previousBoardPicture[k] = before[k];
    }
}

QColor colourAt(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

double luminance(const QImage& image, QPoint at) { return qGray(image.pixel(at)); }

} // namespace

class BoardTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { startProgram(); }
    void cleanupTestCase() { DestroyWindows(); }

    // A failed check leaves the view as it found it for the next test.
    void cleanup()
    {
        if (Form1->setupActive()) SetupCancel();
        showMove = true;
        designBase = 0;
        if (boardView.rotated) Form1->ToggleRotation();
        if (marksShown || !boardView.smallBoard) {
            marksShown = false;
            Form1->SetBoardSize();
            if (!boardView.smallBoard) Form1->SetBoardSize();
        }
    }

    void startsCentredWithTheBoardTwoThirdsOfTheScreen()
    {
        const QRect desk = Form1->screen()->availableGeometry();
        QVERIFY(!Form1->N22->isChecked()); // neither of the size command's two boards
        const int side = Form1->boardWidget()->height();
        QCOMPARE(Form1->boardWidget()->width(), side);
        QCOMPARE(side, 8 * cellSize());
        QVERIFY2(side > desk.height() * 6 / 10 && side <= desk.height() * 2 / 3, qPrintable(QString::number(side)));
        const QPoint offCentre = Form1->frameGeometry().center() - desk.center();
        QVERIFY(qAbs(offCentre.x()) <= 2 && qAbs(offCentre.y()) <= 2);
        QVERIFY(Form1->minimumSize() != Form1->maximumSize()); // the window can be resized
    }

    // The board takes the largest square the window holds; clicks land on its squares at
    // every size, turned or not.
    void theBoardFollowsTheWindowsSize()
    {
        SetMode(HumanHuman);
        const QSize before = Form1->size();
        struct Case {
            int height;
            bool rotated;
        };
        for (const Case c : {Case{360, false}, Case{480, true}, Case{560, false}}) {
            Form1->resize(Form1->width() + 200, c.height);
            QCoreApplication::processEvents();
            if (boardView.rotated != c.rotated) Form1->ToggleRotation();
            const int side = Form1->boardWidget()->height();
            QVERIFY(side < c.height);
            QCOMPARE(side, 8 * cellSize());
            QCOMPARE(currentPictures()[0].width(), cellSize());
            const int ply = gameRecord.plyNumber;
            dragOnBoard("c3", "d4");
            QCOMPARE(gameRecord.plyNumber, ply + 1);
            QCOMPARE(boardPicture[27], 'w'); // d4
            StepBack();
            QCOMPARE(boardPicture[18], 'w'); // c3
        }
        Form1->resize(before);
        SetMode(EngineBlack);
    }

    void sizeCommandSwitchesBetweenTheTwoBoards()
    {
        if (!boardView.smallBoard) Form1->N22->trigger();
        QVERIFY(Form1->N22->isChecked());
        QCOMPARE(cellSize(), 39);
        QCOMPARE(Form1->boardWidget()->size(), QSize(312, 312));
        Form1->N22->trigger();
        QVERIFY(!Form1->N22->isChecked());
        QCOMPARE(cellSize(), 52);
        QCOMPARE(Form1->nominalWindowSize(), QSize(420, 460));
        QCOMPARE(Form1->boardWidget()->size(), QSize(416, 416));
        QTest::keyClick(Form1, Qt::Key_Return); // Enter no longer changes the size
        QVERIFY(!Form1->N22->isChecked());
        Form1->N22->trigger();
        QVERIFY(Form1->N22->isChecked());
        QCOMPARE(Form1->boardWidget()->size(), QSize(312, 312));
    }

    void marksTakeTheirMarginAtTheNextSizeChange()
    {
        marksShown = true;
        Form1->DrawBoard();
        QCOMPARE(boardView.marginX, 0); // drawn over the board's edge until the size changes
        QCOMPARE(colourAt(boardImage(), 100, 311), QColor(128, 128, 0)); // the bottom strip's one row
        QVERIFY(colourAt(boardImage(), 100, 310) != QColor(128, 128, 0));

        Form1->SetBoardSize(); // large
        QCOMPARE(boardView.marginX, 20);
        QCOMPARE(Form1->nominalWindowSize(), QSize(460, 500));
        QCOMPARE(Form1->boardWidget()->size(), QSize(456, 456));
        QImage board = boardImage();
        QCOMPARE(colourAt(board, 10, 10), QColor(128, 128, 0));
        QCOMPARE(colourAt(board, 450, 440), QColor(128, 128, 0));
        // The letter "a" hangs from y = 20 + 416 = 436 at x = 20 + 26.
        int dark = 0;
        for (int y = 436; y < 456; ++y)
            for (int x = 46; x < 60; ++x) dark += qGray(board.pixel(x, y)) < 60;
        QVERIFY(dark > 5);
        // The squares move in by the margin: a1's picture at (20, 20 + 7 * 52); the
        // bottom strip covers its last pixel row.
        QCOMPARE(board.copy(20, 384, 52, 51), picture(WhiteMan).copy(0, 0, 52, 51));

        Form1->SetBoardSize(); // small
        QCOMPARE(boardView.marginX, 13);
        QCOMPARE(Form1->nominalWindowSize(), QSize(344, 382));
        QCOMPARE(Form1->boardWidget()->size(), QSize(338, 338));

        marksShown = false;
        Form1->SetBoardSize();
        Form1->SetBoardSize();
        QCOMPARE(boardView.marginX, 0);
        QVERIFY(boardView.smallBoard);
    }

    void squaresComeFromTheBoardPicture()
    {
        setPositionFromText(initialPositionText);
        refreshBoardPicture();
        refreshBoardPicture();
        Form1->DrawBoard();
        const QImage board = boardImage();
        QCOMPARE(drawnCell(board, 0, 7), picture(WhiteMan));        // a1
        QCOMPARE(drawnCell(board, 7, 0), picture(BlackMan));        // h8
        QCOMPARE(drawnCell(board, 0, 0), picture(LightSquare));     // a8
        QCOMPARE(drawnCell(board, 0, 3), picture(EmptyDarkSquare)); // a5
        QCOMPARE(drawnCell(board, 1, 4), picture(EmptyDarkSquare)); // b4

        // Kings and the other designs.
        setPositionFromText("W000000000000000000000000000000B w");
        refreshBoardPicture();
        refreshBoardPicture();
        for (int base : {0, 6, 12}) {
            designBase = base;
            Form1->DrawBoard();
            const QImage b = boardImage();
            QCOMPARE(drawnCell(b, 0, 7), picture(WhiteKing));
            QCOMPARE(drawnCell(b, 7, 0), picture(BlackKing));
        }
        designBase = 0;
    }

    void turnedBoardHasA1TopRight()
    {
        setPositionFromText("w0000000000000000000000000000000 w");
        refreshBoardPicture();
        refreshBoardPicture();
        Form1->ToggleRotation();
        const QImage board = boardImage();
        const int cell = cellSize();
        QCOMPARE(board.copy(7 * cell, 0, cell, cell), picture(WhiteMan));
        QCOMPARE(board.copy(0, 7 * cell, cell, cell), picture(EmptyDarkSquare)); // h8
        QCOMPARE(board.copy(0, 0, cell, cell), picture(LightSquare));            // h1
        Form1->ToggleRotation();
        QCOMPARE(boardImage().copy(0, 7 * cell, cell, cell), picture(WhiteMan));
    }

    void changedSquaresAreOutlinedWhenAsked()
    {
        setPositionFromText(initialPositionText);
        refreshBoardPicture();
        refreshBoardPicture();
        // c3 and d4 changed (index rank-1 * 8 + file-1): c3 is 18, d4 is 27.
        char before[64];
        for (int k = 0; k < 64; ++k) before[k] = boardPicture[k];
        char now[64];
        for (int k = 0; k < 64; ++k) now[k] = boardPicture[k];
        now[18] = '.';
        now[27] = 'w';
        setPictures(now, before);
        Form1->DrawBoard();
        const int cell = cellSize();
        QImage board = boardImage();
        const QColor outline(255, 132, 241);
        for (QPoint corner : {squareCorner(2, 5), squareCorner(3, 4)}) {
            const int x0 = corner.x(), y0 = corner.y();
            QCOMPARE(colourAt(board, x0, y0), outline);
            QCOMPARE(colourAt(board, x0 + cell - 1, y0 + cell - 1), outline);
            QCOMPARE(colourAt(board, x0 + 1, y0 + 1), outline);
            QCOMPARE(colourAt(board, x0 + cell - 2, y0 + cell - 2), outline);
            QCOMPARE(colourAt(board, x0 + cell / 2, y0), outline);
            QVERIFY(colourAt(board, x0 + 2, y0 + 2) != outline);
            QVERIFY(colourAt(board, x0 + cell / 2, y0 + 2) != outline);
        }
        QCOMPARE(drawnCell(board, 4, 5), picture(WhiteMan)); // e3 is unchanged

        showMove = false;
        Form1->DrawBoard();
        board = boardImage();
        QCOMPARE(drawnCell(board, 2, 5), picture(EmptyDarkSquare));
        QCOMPARE(drawnCell(board, 3, 4), picture(WhiteMan));
        showMove = true;
    }

    void setupPanelWidensTheWindowAndLocksTheSize()
    {
        const QSize before = Form1->size();
        QVERIFY(!Form1->GroupBox1->isVisible());
        Form1->N30->trigger();
        QVERIFY(Form1->setupActive());
        QVERIFY(Form1->GroupBox1->isVisible());
        QVERIFY(Form1->N30->isChecked());
        QVERIFY(!Form1->N24->isChecked());
        // The window makes room for the panel beside the board, which keeps its size.
        QCOMPARE(Form1->width(), before.width() + Form1->GroupBox1->width() + 6);
        QCOMPARE(Form1->boardWidget()->size(), QSize(312, 312));
        QVERIFY(!Form1->N22->isEnabled());

        QCOMPARE(Form1->GroupBox1->title(), QStringLiteral("Расстановка"));
        QCOMPARE(Form1->GroupBox1->size(), QSize(97, 201));
        QVERIFY(Form1->GroupBox1->geometry().left() > Form1->boardWidget()->geometry().right());
        QVERIFY(Form1->GroupBox1->geometry().right() < Form1->centralWidget()->width());
        QCOMPARE(Form1->GroupBox2->title(), QStringLiteral("Ходят"));
        QCOMPARE(Form1->RadioButton1->text(), QStringLiteral("Белые"));
        QCOMPARE(Form1->RadioButton2->text(), QStringLiteral("Чёрные"));
        QVERIFY(Form1->RadioButton1->isChecked());
        QVERIFY(setupState.whiteToMove);
        QTest::mouseClick(Form1->RadioButton2, Qt::LeftButton);
        QVERIFY(!setupState.whiteToMove);
        QTest::mouseClick(Form1->RadioButton1, Qt::LeftButton);
        QVERIFY(setupState.whiteToMove);
        const QPushButton* buttons[] = {Form1->Button1, Form1->Button2, Form1->Button3, Form1->Button4};
        const char* captions[] = {"Начальная", "Очистить", "Отмена", "Готово"};
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(buttons[k]->text(), QString::fromUtf8(captions[k]));
            QCOMPARE(buttons[k]->size(), QSize(80, 25));
            if (k > 0) QVERIFY(buttons[k]->y() > buttons[k - 1]->geometry().bottom());
        }

        QTest::mouseClick(Form1->Button3, Qt::LeftButton); // "Отмена"
        QVERIFY(!Form1->setupActive());
        QCOMPARE(Form1->size(), before);
        QVERIFY(Form1->N22->isEnabled());
        QVERIFY(!Form1->N30->isChecked());
        QVERIFY(Form1->N24->isChecked()); // back in the mode setup was entered from
    }

    void boardSavesAsBitmap()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = dir.filePath("board");
        QVERIFY(SaveGameFiles(name.toStdString(), SaveType::Picture, Form1->BoardPictureBytes().toStdString()));
        QFile file(name + ".bmp");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(2), QByteArray("BM"));
        QImage saved(name + ".bmp");
        QCOMPARE(saved.size(), QSize(312, 312));
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32).copy(0, 273, 39, 39), picture(WhiteMan));
    }

    void picturesAreDistinctAndLegible()
    {
        for (int cell : {39, 52}) {
            const QVector<QPixmap> list = makePictureList(cell);
            QCOMPARE(list.size(), 18);
            const QPoint centre(cell / 2, cell / 2);
            for (int base : {0, 6, 12}) {
                QVector<QImage> kinds;
                for (int k = 0; k < 6; ++k) {
                    QCOMPARE(list[base + k].size(), QSize(cell, cell));
                    kinds << list[base + k].toImage().convertToFormat(QImage::Format_RGB32);
                }
                for (int a = 0; a < 6; ++a)
                    for (int b = a + 1; b < 6; ++b) QVERIFY(kinds[a] != kinds[b]);
                // White pieces are light, black ones dark, both away from the square's edge.
                const QPoint ring(cell / 2 - cell / 4, cell / 2);
                QVERIFY(luminance(kinds[WhiteMan], ring) > luminance(kinds[BlackMan], ring) + 100);
                QVERIFY(luminance(kinds[LightSquare], centre) > luminance(kinds[EmptyDarkSquare], centre));
                // A king differs from its man over a good part of the piece: the crown.
                for (int pair : {0, 1}) {
                    const QImage& man = kinds[pair == 0 ? WhiteMan : BlackMan];
                    const QImage& king = kinds[pair == 0 ? WhiteKing : BlackKing];
                    int differing = 0;
                    for (int y = cell / 4; y < 3 * cell / 4; ++y)
                        for (int x = cell / 4; x < 3 * cell / 4; ++x) {
                            const QColor m(man.pixel(x, y)), k(king.pixel(x, y));
                            differing += std::abs(m.red() - k.red()) + std::abs(m.green() - k.green()) +
                                             std::abs(m.blue() - k.blue()) >
                                         90;
                        }
                    QVERIFY2(differing > cell * cell / 20, qPrintable(QString("king %1 %2").arg(base).arg(pair)));
                }
            }
        }
    }
};

QTEST_MAIN(BoardTest)
#include "board_test.moc"
