#include "support/PreviousWaylandClipboard.h"

#include "support/X11TestClient.h"

#include <QFile>

using namespace std::chrono_literals;

PreviousWaylandClipboard::PreviousWaylandClipboard(const QProcessEnvironment& environment)
    : environment_(environment) {
    QStringList arguments;
    for (int i = 0; i < formats().size(); ++i) {
        QFile file(dir_.filePath(QString::number(i)));
        file.open(QIODevice::WriteOnly);
        file.write(formats()[i].second);
        arguments << formats()[i].first + QLatin1Char('=') + file.fileName();
    }
    owner_.setProcessEnvironment(environment_);
    owner_.start(QStringLiteral(QUILLO_BINARY_DIR "/tests/wayland_clipboard_owner_child"),
                 arguments);
    owning_ = waitUntil([this] { return owner_.readAllStandardOutput().contains("owning"); }, 5s);
}

PreviousWaylandClipboard::~PreviousWaylandClipboard() {
    owner_.kill();
    owner_.waitForFinished(2000);
}

Pasteboard::Contents PreviousWaylandClipboard::formats() {
    return {{QStringLiteral("text/plain;charset=utf-8"), QByteArrayLiteral("before the dictation")},
            {QStringLiteral("text/html"), QByteArrayLiteral("<i>before</i>")},
            {QStringLiteral("application/x-quillo-test"), QByteArray("\x00\x01\x02 binary", 10)}};
}

bool PreviousWaylandClipboard::isBack() const {
    QStringList expected;
    for (const auto& format : formats())
        expected << format.first;
    if (QString::fromUtf8(wlPaste({QStringLiteral("--list-types")}))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts) != expected)
        return false;
    for (const auto& [type, bytes] : formats()) {
        if (wlPaste({QStringLiteral("--no-newline"), QStringLiteral("--type"), type}) != bytes)
            return false;
    }
    return true;
}

QByteArray PreviousWaylandClipboard::wlPaste(const QStringList& arguments) const {
    QProcess paste;
    paste.setProcessEnvironment(environment_);
    paste.start(QStringLiteral("wl-paste"), arguments);
    if (!waitUntil([&] { return paste.state() == QProcess::NotRunning; }, 5s)) {
        paste.kill();
        paste.waitForFinished(1000);
        return {};
    }
    return paste.readAllStandardOutput();
}
