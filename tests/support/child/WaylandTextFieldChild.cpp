// A native Wayland Qt window with one text field, as a paste target in another process. Prints
// "focused" once the field has the keyboard focus and "text:<text>" after every change.
#include <QApplication>
#include <QLineEdit>

#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication app(argc, argv);
    QLineEdit field;
    field.setWindowTitle(QStringLiteral("Quillo paste target"));
    field.resize(400, 40);
    auto print = [](const QString& line) {
        std::puts(line.toUtf8().constData());
        std::fflush(stdout);
    };
    QObject::connect(&field, &QLineEdit::textChanged, &field,
                     [print](const QString& text) { print(QStringLiteral("text:") + text); });
    QObject::connect(&app, &QApplication::focusChanged, &field,
                     [&field, print](QWidget*, QWidget* now) {
                         if (now == &field)
                             print(QStringLiteral("focused"));
                     });
    field.show();
    return QApplication::exec();
}
