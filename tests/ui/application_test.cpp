// The program's application object reports what an event handler lets out and the
// message loop goes on.
#include <QTimer>
#include <QtTest>

#include <stdexcept>

#include "game/controlui.h"
#include "ui/application.h"

namespace {

struct RecordingUi : ControlUi {
    std::vector<std::string> messages;
    void showMessage(const std::string& text) override { messages.push_back(text); }
};

class Throwing : public QObject {
protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) throw std::runtime_error("handler");
        return QObject::event(e);
    }
};

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT
private slots:
    void anExceptionOutOfAHandlerIsReported()
    {
        RecordingUi ui;
        installControlUi(&ui);
        Throwing target;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&target, &event);
        QCOMPARE(ui.messages, std::vector<std::string>{"Ошибка: handler"});
        // A timer's tick that throws does not end the message loop either.
        bool later = false;
        QTimer::singleShot(0, [] { throw std::runtime_error("tick"); });
        QTimer::singleShot(20, [&later] { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(ui.messages.back(), std::string("Ошибка: tick"));
        installControlUi(nullptr);
    }
};

int main(int argc, char** argv)
{
    KorvelApplication app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "application_test.moc"
