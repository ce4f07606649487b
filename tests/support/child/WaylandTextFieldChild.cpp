// A native Wayland Qt text field in a process of its own, as a paste target: its window's caption
// is the first argument (a default otherwise). Prints "shown" once the window is up, "focused"
// when the field gets the keyboard focus, "text <contents>" whenever its text changes and "return"
// when Return is pressed in it.
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTextStream>

namespace {

class ReportingLineEdit : public QLineEdit {
protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        QTextStream(stdout) << "focused" << Qt::endl;
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    // A Wayland client even where XWayland is there too: the paste must reach a native window.
    qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication app(argc, argv);
    ReportingLineEdit field;
    field.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QStringLiteral("Quillo paste target"));
    field.resize(400, 40);
    QObject::connect(&field, &QLineEdit::textChanged, [](const QString& text) {
        QTextStream(stdout) << "text " << text << Qt::endl;
    });
    QObject::connect(&field, &QLineEdit::returnPressed,
                     [] { QTextStream(stdout) << "return" << Qt::endl; });
    field.show();
    QTextStream(stdout) << "shown" << Qt::endl;
    return QApplication::exec();
}
