#include "ui/trainerpanel.h"

#include <QDockWidget>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "engine/search.h"
#include "game/commandguard.h"
#include "game/control.h"
#include "game/controller.h"
#include "game/controlui.h"
#include "game/datafiles.h"
#include "game/trainer.h"

TrainerPanel* trainerPanel = nullptr;

namespace {

constexpr int solutionStepMilliseconds = 900;
constexpr int problemsListed = 10;
constexpr int openRetryMilliseconds = 20;
constexpr int maxOpenTries = 250;

QString text(const std::string& s) { return QString::fromStdString(s); }

} // namespace

TrainerPanel::TrainerPanel(QMainWindow* parent) : ToolWindow(parent, true)
{
    trainerPanel = this;
    setWindowTitle(QStringLiteral("Комбинации"));
    dock()->setObjectName(QStringLiteral("trainerDock"));
    dock()->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    parent->addDockWidget(Qt::RightDockWidgetArea, dock());
    // Restoring the stored window state may show the dock: only an open trainer has it.
    connect(dock(), &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible && !puzzleTrainer().isOpen()) QTimer::singleShot(0, this, [this] { setShown(puzzleTrainer().isOpen()); });
    });
    QWidget* body = this;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(6, 4, 6, 6);
    column->setSpacing(4);

    difficultyBox = new QComboBox(body);
    for (Difficulty d : {Difficulty::Easy, Difficulty::Medium, Difficulty::Hard})
        difficultyBox->addItem(text(difficultyName(d)));
    puzzleLabel = new QLabel(body);
    messageLabel = new QLabel(body);
    messageLabel->setWordWrap(true);
    messageLabel->setMinimumHeight(3 * messageLabel->fontMetrics().height());
    messageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont bold = messageLabel->font();
    bold.setBold(true);
    messageLabel->setFont(bold);
    progressLabel = new QLabel(body);

    previousButton = new QPushButton(QStringLiteral("Предыдущая"), body);
    nextButton = new QPushButton(QStringLiteral("Следующая"), body);
    hintButton = new QPushButton(QStringLiteral("Подсказка"), body);
    againButton = new QPushButton(QStringLiteral("Ещё раз"), body);
    solutionButton = new QPushButton(QStringLiteral("Решение"), body);
    closeButton = new QPushButton(QStringLiteral("Закрыть"), body);
    auto* buttons = new QGridLayout;
    buttons->setSpacing(4);
    buttons->addWidget(previousButton, 0, 0);
    buttons->addWidget(nextButton, 0, 1);
    buttons->addWidget(hintButton, 1, 0);
    buttons->addWidget(againButton, 1, 1);
    buttons->addWidget(solutionButton, 2, 0);
    buttons->addWidget(closeButton, 2, 1);

    column->addWidget(difficultyBox);
    column->addWidget(puzzleLabel);
    column->addWidget(messageLabel);
    column->addLayout(buttons);
    column->addWidget(progressLabel);
    column->addStretch(1);
    // The keys stay with the board.
    for (QWidget* w : body->findChildren<QWidget*>()) w->setFocusPolicy(Qt::NoFocus);

    solutionTimer = new QTimer(this);
    solutionTimer->setInterval(solutionStepMilliseconds);
    connect(solutionTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { solutionTick(); }); });
    PuzzleTrainer& trainer = puzzleTrainer();
    auto command = [](auto action) { return [action] { RunGuarded(action); }; };
    connect(previousButton, &QPushButton::clicked, this, command([&trainer] { trainer.previous(); }));
    connect(nextButton, &QPushButton::clicked, this, command([&trainer] { trainer.next(); }));
    connect(hintButton, &QPushButton::clicked, this, command([&trainer] { trainer.hint(); }));
    connect(againButton, &QPushButton::clicked, this, command([&trainer] { trainer.tryAgain(); }));
    connect(solutionButton, &QPushButton::clicked, this, command([this, &trainer] {
                trainer.showSolution();
                if (trainer.state() == PuzzleTrainer::State::Solution) solutionTimer->start();
            }));
    connect(closeButton, &QPushButton::clicked, this, command([this] { CloseTrainer(); }));
    connect(difficultyBox, &QComboBox::activated, this,
            [&trainer](int index) { RunGuarded([&trainer, index] { trainer.setDifficulty(static_cast<Difficulty>(index)); }); });
    trainer.setListener([this] { showState(); });
}

void TrainerPanel::OpenTrainer()
{
    PuzzleTrainer& trainer = puzzleTrainer();
    if (!trainer.isOpen() && !PuzzleTrainer::available()) {
        // An analysis of the position, or thinking on the opponent's time, is stopped as
        // a press on the board stops it (once its search has begun: the search's start
        // clears the flag); the trainer opens when the turn is over.
        if (analysisToStop() && openTries < maxOpenTries) {
            if (gameControl.thinking) stopRequested = true;
            ++openTries;
            QTimer::singleShot(openRetryMilliseconds, this, [this] { RunGuarded([this] { OpenTrainer(); }); });
        }
        return;
    }
    openTries = 0;
    const bool opened = trainer.isOpen() || trainer.open(dataFilePath("puzzles.txt"), progressFilePath());
    const std::vector<std::string>& problems = trainer.problems();
    if (!opened || !problems.empty()) {
        std::string message = opened ? "Строки сборника с ошибками пропущены:" : noPuzzlesMessage;
        for (std::size_t i = 0; i < problems.size() && i < problemsListed; ++i) message += "\n" + problems[i];
        if (problems.size() > problemsListed)
            message += "\n... и ещё " + std::to_string(problems.size() - problemsListed);
        controlUi().showMessage(message);
    }
    if (!opened) return;
    showState();
    if (showPanelHook) showPanelHook();
    else setShown(true);
}

bool TrainerPanel::analysisToStop()
{
    return (gameControl.mode == Analysis || ponderState.active) && (gameControl.thinking || EngineTurnRunning());
}

bool TrainerPanel::canOpen() { return puzzleTrainer().isOpen() || PuzzleTrainer::available() || analysisToStop(); }

void TrainerPanel::FormClose()
{
    solutionTimer->stop();
    puzzleTrainer().close();
}

void TrainerPanel::CloseTrainer()
{
    setShown(false);
    FormClose();
}

void TrainerPanel::solutionTick()
{
    if (!puzzleTrainer().solutionStep()) solutionTimer->stop();
}

void TrainerPanel::showState()
{
    const PuzzleTrainer& trainer = puzzleTrainer();
    if (!trainer.isOpen()) return;
    using State = PuzzleTrainer::State;
    const State state = trainer.state();
    if (state != State::Solution) solutionTimer->stop();
    difficultyBox->setCurrentIndex(static_cast<int>(trainer.difficulty()));
    const Puzzle* puzzle = trainer.puzzle();
    QString number = QStringLiteral("Задача %1 из %2").arg(trainer.groupIndex() + 1).arg(trainer.groupSize());
    if (puzzle) {
        const auto tried = trainer.progress().results.find(positionToFen(puzzle->start));
        if (tried != trainer.progress().results.end())
            number += tried->second == PuzzleResult::Failed ? QStringLiteral(" (не решена)") : QStringLiteral(" (решена)");
    }
    puzzleLabel->setText(puzzle ? number : QString());
    messageLabel->setText(text(trainer.message()));
    const bool solving = state == State::Waiting || state == State::Wrong;
    hintButton->setEnabled(solving);
    againButton->setEnabled(state == State::Wrong);
    solutionButton->setEnabled(puzzle && state != State::Solution);
    previousButton->setEnabled(trainer.groupSize() > 1 && state != State::Solution);
    nextButton->setEnabled(trainer.groupSize() > 1 && state != State::Solution);
    const PuzzleProgress& p = trainer.progress();
    progressLabel->setText(QStringLiteral("С первой попытки: %1\nРешено: %2\nНе решено: %3\nСерия: %4\nРейтинг: %5")
                               .arg(p.firstTry)
                               .arg(p.solved)
                               .arg(p.failed)
                               .arg(p.streak)
                               .arg(p.rating));
}
