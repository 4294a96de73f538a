#include "ui/analysisdialog.h"

#include <QInputDialog>
#include <QPointer>
#include <QProgressDialog>

#include <algorithm>
#include <iterator>

#include "ui/unit1.h"

const int analysisTimeChoices[] = {50, 100, 200, 500, 1000, 3000};

namespace {
const QString analysisTitle = QStringLiteral("Анализ партии");
constexpr int defaultChoice = 1; // one second
QPointer<QProgressDialog> progress;

QString minutesAndSeconds(int seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

QStringList analysisTimeCaptions()
{
    return {QStringLiteral("0,5 с"), QStringLiteral("1 с"),  QStringLiteral("2 с"),
            QStringLiteral("5 с"),   QStringLiteral("10 с"), QStringLiteral("30 с")};
}

int AskAnalysisTime()
{
    const QStringList captions = analysisTimeCaptions();
    bool ok = false;
    const QString chosen = QInputDialog::getItem(Form1, analysisTitle, QStringLiteral("Время на полуход:"), captions,
                                                 defaultChoice, false, &ok);
    const int index = captions.indexOf(chosen);
    if (!ok || index < 0 || index >= static_cast<int>(std::size(analysisTimeChoices))) return 0;
    return analysisTimeChoices[index];
}

bool ShowAnalysisProgress(int done, int total, int secondsLeft)
{
    if (!progress) {
        progress = new QProgressDialog(Form1);
        progress->setWindowTitle(analysisTitle);
        progress->setCancelButtonText(QStringLiteral("Отмена"));
        progress->setWindowModality(Qt::ApplicationModal);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
        progress->setMinimumDuration(0);
        progress->setMinimumWidth(300);
        progress->show();
    }
    progress->setMaximum(std::max(1, total));
    progress->setValue(done);
    progress->setLabelText(QStringLiteral("Проанализировано полуходов: %1 из %2\nОсталось около %3")
                               .arg(done)
                               .arg(total)
                               .arg(minutesAndSeconds(secondsLeft)));
    return !progress->wasCanceled();
}

void CloseAnalysisProgress() { delete progress; }
