#include "ui/tablesdialog.h"

#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "game/commandguard.h"
#include "ui/services.h"
#include "ui/unit1.h"

namespace {

constexpr int progressSteps = 1000;

QString text(const std::string& s) { return QString::fromStdString(s); }

} // namespace

TTablesDialog::TTablesDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Таблицы эндшпиля"));
    setFixedSize(400, 150);
    Label1 = new QLabel(QStringLiteral("Создаются таблицы эндшпиля до пяти шашек (около 110 МБ)."), this);
    Label1->setGeometry(12, 10, 376, 18);
    Label2 = new QLabel(this);
    Label2->setGeometry(12, 34, 376, 18);
    Label3 = new QLabel(this);
    Label3->setGeometry(12, 56, 376, 18);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(12, 82, 376, 20);
    ProgressBar1->setRange(0, progressSteps);
    Button1 = new QPushButton(QStringLiteral("Отмена"), this);
    Button1->setGeometry(310, 114, 78, 26);
    connect(Button1, &QPushButton::clicked, this, &TTablesDialog::Button1Click);
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TTablesDialog::Timer1Timer);
    // Closing the window or Escape cancels too.
    connect(this, &QDialog::rejected, this, [this] { build.cancel(); });
}

TablesBuild::State TTablesDialog::MakeTables(const std::string& builder, const std::string& folder)
{
    if (!build.start(builder, folder)) return build.state();
    showProgress();
    Timer1->start();
    exec();
    Timer1->stop();
    build.cancel(); // whatever way the dialog was left while the build still ran
    return build.state();
}

void TTablesDialog::showProgress()
{
    const int made = build.tablesMade(), total = TablesBuild::tablesTotal();
    Label2->setText(made < total ? QStringLiteral("Создаётся таблица %1 из %2").arg(made + 1).arg(total)
                                 : QStringLiteral("Все %1 таблиц созданы, проверка").arg(total));
    Label3->setText(build.lastTable().empty() ? QString()
                                              : QStringLiteral("Последняя готовая: ") + text(build.lastTable()));
    ProgressBar1->setValue(static_cast<int>(build.fractionMade() * progressSteps));
}

void TTablesDialog::Timer1Timer()
{
    const TablesBuild::State state = build.poll();
    showProgress();
    if (state == TablesBuild::State::Done) accept();
    else if (state != TablesBuild::State::Running) reject();
}

void TTablesDialog::Button1Click() { reject(); }

void MakeEndgameTables()
{
    const std::string folder = writableDataFolder();
    const std::string builder = tablesBuilderProgram();
    if (folder.empty() || builder.empty()) {
        WindowServices::ShowMessage(folder.empty() ? QStringLiteral("Нет папки для данных программы (не задан HOME).")
                                                   : QStringLiteral("Не найдена программа korvel-cli, которая "
                                                                    "создаёт таблицы эндшпиля."));
        return;
    }
    if (tablesComplete(tablesFolder()) &&
        !WindowServices::AskYesNo(QStringLiteral("Таблицы эндшпиля уже есть. Создать их заново?")))
        return;
    TTablesDialog dialog(Form1);
    const TablesBuild::State state = dialog.MakeTables(builder, folder);
    if (state == TablesBuild::State::Done)
        WindowServices::ShowMessage(UseMadeTables()
                                        ? QStringLiteral("Таблицы эндшпиля созданы и уже используются.")
                                        : QStringLiteral("Таблицы эндшпиля созданы. Они используются со "
                                                         "следующей новой игры."));
    else if (state == TablesBuild::State::Failed)
        WindowServices::ShowMessage(QStringLiteral("Не удалось создать таблицы эндшпиля: ") +
                                    text(dialog.Build().error()));
}

void OfferEndgameTables()
{
    // Damaged tables are told of once, with the offer to make them again.
    const std::string damaged = damagedTablesQuestion();
    if (!damaged.empty()) {
        if (WindowServices::AskYesNo(text(damaged))) MakeEndgameTables();
        return;
    }
    if (!ShouldOfferTables()) return;
    std::string why;
    if (WindowServices::AskYesNo(text(tablesQuestion))) MakeEndgameTables();
    else if (!RememberTablesDeclined(&why)) WindowServices::ShowMessage(text(why));
}

void addEndgameTablesItem(QMenu* menu)
{
    menu->addAction(QStringLiteral("Создать таблицы эндшпиля..."), menu, [] { RunGuarded(MakeEndgameTables); });
}
