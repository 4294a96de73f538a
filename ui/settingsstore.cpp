#include "ui/settingsstore.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <vector>

#include "game/control.h"
#include "game/preferences.h"
#include "ui/evaluationbar.h"
#include "ui/unit1.h"
#include "ui/unit10.h"
#include "ui/unit2.h"
#include "ui/unit3.h"
#include "ui/unit4.h"
#include "ui/unit5.h"
#include "ui/unit7.h"
#include "ui/unit8.h"
#include "ui/unit9.h"

namespace {

// Raised whenever the panels' arrangement changes shape, so that an old arrangement is
// not put back into a window that no longer has its panels.
constexpr int layoutVersion = 1;

FileDialogMemory dialogs[2];
bool restored = false; // nothing is written before the stored settings were read

const char* dialogGroup(FileDialogKind kind) { return kind == FileDialogKind::Load ? "load" : "save"; }

struct PanelItem {
    QAction* item;
    ToolWindow* panel;
};

std::vector<PanelItem> panelItems()
{
    return {{Form1->N13, Form7}, {Form1->N14, Form5},  {Form1->N15, Form8},
            {Form1->NGraph, Form10}, {Form1->N17, Form9}, {Form1->N18, Form4}};
}

// The menu items of the panels follow the panels as they were put back.
void showPanelMarks()
{
    for (const PanelItem& p : panelItems()) p.item->setChecked(p.panel->shown());
    gameControl.infoItemChecked = Form9->shown();
    gameControl.infoShown = Form9->shown();
}

void showEvaluationBar(bool shown)
{
    Form1->NEvaluationBar->setChecked(shown);
    Form1->evaluationBar->setVisible(shown);
}

// The panels as the program first shows them: the information alone.
void defaultPanels()
{
    Form1->PlacePanels();
    for (const PanelItem& p : panelItems()) p.panel->setShown(p.panel == Form9);
}

void showChoices()
{
    Form2->ShowSettings();
    Form3->ShowSettings();
    Form1->ShowSettingMarks();
}

} // namespace

QString settingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/korvel/korvel.conf");
}

void FileDialogMemory::remember(const QString& chosenFile) { folder = QFileInfo(chosenFile).absolutePath(); }

FileDialogMemory& fileDialogMemory(FileDialogKind kind) { return dialogs[kind == FileDialogKind::Load ? 0 : 1]; }

void RestoreSettings()
{
    QSettings stored(settingsFilePath(), QSettings::IniFormat);
    // A file that cannot be read or parsed is as good as none.
    const bool readable = stored.status() == QSettings::NoError;
    PreferenceMap choices;
    if (readable) {
        stored.beginGroup(QStringLiteral("game"));
        for (const QString& key : stored.allKeys()) choices[key.toStdString()] = stored.value(key).toString().toStdString();
        stored.endGroup();
    }
    applyPreferences(choices);
    showChoices();

    showEvaluationBar(!readable || stored.value(QStringLiteral("window/evaluationBar"), true).toBool());
    for (FileDialogKind kind : {FileDialogKind::Load, FileDialogKind::Save}) {
        const QString group = QString::fromLatin1(dialogGroup(kind));
        fileDialogMemory(kind).folder = readable ? stored.value(group + QStringLiteral("/folder")).toString() : QString();
        fileDialogMemory(kind).filter = readable ? stored.value(group + QStringLiteral("/filter")).toString() : QString();
    }

    defaultPanels();
    const bool placed = readable && Form1->restoreGeometry(stored.value(QStringLiteral("window/geometry")).toByteArray());
    if (readable) Form1->restoreState(stored.value(QStringLiteral("window/state")).toByteArray(), layoutVersion);
    if (!placed) Form1->FitFirstStart();
    showPanelMarks();
    Form1->ArrangeBoard();
    Form1->DrawBoard();
    restored = true;
}

void StoreSettings()
{
    if (!restored || !Form1) return;
    QSettings stored(settingsFilePath(), QSettings::IniFormat);
    if (!stored.isWritable()) return; // a folder that cannot be written keeps the settings of this run only
    stored.beginGroup(QStringLiteral("game"));
    for (const auto& [key, value] : currentPreferences())
        stored.setValue(QString::fromStdString(key), QString::fromStdString(value));
    stored.endGroup();
    stored.setValue(QStringLiteral("window/evaluationBar"), Form1->NEvaluationBar->isChecked());
    stored.setValue(QStringLiteral("window/geometry"), Form1->saveGeometry());
    stored.setValue(QStringLiteral("window/state"), Form1->saveState(layoutVersion));
    for (FileDialogKind kind : {FileDialogKind::Load, FileDialogKind::Save}) {
        const QString group = QString::fromLatin1(dialogGroup(kind));
        stored.setValue(group + QStringLiteral("/folder"), fileDialogMemory(kind).folder);
        stored.setValue(group + QStringLiteral("/filter"), fileDialogMemory(kind).filter);
    }
}

void ResetSettings()
{
    resetPreferences();
    showChoices();
    showEvaluationBar(true);
    dialogs[0] = dialogs[1] = FileDialogMemory{};
    defaultPanels();
    Form1->showNormal();
    Form1->FitFirstStart();
    showPanelMarks();
    Form1->ArrangeBoard();
    Form1->DrawBoard();
    StoreSettings();
}
