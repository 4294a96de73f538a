// The program settings dialog "Настройки программы...". Every control acts at once.
#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    // The controls show the settings in force (at creation, and after the stored
    // settings are read or reset).
    void ShowSettings();

    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3;
    QCheckBox* CheckBox1;   // "Расширенная ничья"
    QCheckBox* CheckBox2;   // "Использовать дебютную библиотеку"
    QToolButton* SpeedButton1; // chooses the library file
    QLabel* Label1;         // the library file's name
    QLabel* Label2;         // "Использовать тихих ходов из ДБ"
    QLineEdit* Edit1;       // the quiet-move count
    QToolButton *UpDown1Up, *UpDown1Down;
    QRadioButton *RadioButton1, *RadioButton2, *RadioButton3;
    QPushButton* Button2;   // "Цвет края доски", hidden
    QCheckBox* CheckBox3;   // "Разметка", hidden
    QCheckBox* CheckBox4;   // "Показывать ход"
    QCheckBox* CheckBox5;   // "Правила ничьей (ФШР)"
    QLabel* Label3;         // "Потоки"
    QSpinBox* SpinEdit1;    // the search threads, 1 to the logical processors
    QPushButton* Button1;   // "Ok"

public slots:
    void CheckBox1Click();
    void CheckBox2Click();
    void SpeedButton1Click();
    void UpDown1Click(bool up);
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void Button2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void CheckBox5Click();
    void SpinEdit1Change(int threads);
    void Button1Click();
    // The close box and Escape end here.
    void reject() override;

protected:
    // The threads shown are those in force: korvel.ini's until chosen here.
    void showEvent(QShowEvent* event) override;

private:
    void FormClose();
};

// The bare file name of a chosen library file.
QString libraryLabelText(const QString& fullName);

extern TForm3* Form3;
